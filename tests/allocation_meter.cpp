// Replaces the global allocation functions of this test program to measure
// the most memory held at once while a meter is running.
#include "allocation_meter.h"

#include <cstdlib>
#include <new>

namespace vantrel::testing {
namespace {

// Each block carries its size in front, kept 16 bytes for alignment.
constexpr std::size_t kHeader = 16;
std::size_t g_current = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  g_current += size;
  if (g_current > g_peak) g_peak = g_current;
  return block + kHeader;
}

void Release(void* pointer) {
  if (pointer == nullptr) return;
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  g_current -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

AllocationMeter::AllocationMeter() : start_(g_current) { g_peak = g_current; }

std::size_t AllocationMeter::PeakBytes() const { return g_peak - start_; }

}  // namespace vantrel::testing

void* operator new(std::size_t size) { return vantrel::testing::Allocate(size); }
void* operator new[](std::size_t size) { return vantrel::testing::Allocate(size); }
void operator delete(void* pointer) noexcept { vantrel::testing::Release(pointer); }
void operator delete[](void* pointer) noexcept { vantrel::testing::Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { vantrel::testing::Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { vantrel::testing::Release(pointer); }

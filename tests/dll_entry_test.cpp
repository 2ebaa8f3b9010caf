// Calls Vantrel.dll's export the way the host does, from the DLL in this program's folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "loaded_plugin.h"
#include "package_builder.h"

namespace vantrel {
namespace {

using DescribeProc = std::int32_t(VANTREL_STDCALL*)(std::uint32_t, DescRequest*);

class DllEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(plugin_.Module(), nullptr);
    describe_ = plugin_.Export<DescribeProc>("ImportDesc_SameFileEx");
    ASSERT_NE(describe_, nullptr);
  }

  std::int32_t Call(std::uint32_t mode, const char* path) {
    buffer_.assign(32767, 'x');
    DescRequest request{path, buffer_.data(), 0xDEADBEEF, 0xDEADBEEF};
    return describe_(mode, &request);
  }
  std::string Text() const { return std::string(buffer_.data()); }

  testing::LoadedPlugin plugin_;
  DescribeProc describe_ = nullptr;
  std::vector<char> buffer_;
  testing::TempFolder folder_;
};

TEST_F(DllEntryTest, RefusedRequestsLeaveEmptyText) {
  testing::HeaderBuilder main;
  main.String(1000, "n");
  const std::string path = folder_.Write("p.rpm", testing::Package(main));
  EXPECT_EQ(Call(1, path.c_str()), kModeRefused);
  EXPECT_EQ(buffer_[0], '\0');
  EXPECT_EQ(Call(1, nullptr), kModeRefused);
  EXPECT_EQ(Call(0, nullptr), kNoFileName);
  EXPECT_EQ(buffer_[0], '\0');
  EXPECT_EQ(Call(0x10000, path.c_str()), kRequestDone);  // only the low 16 bits are the kind
  EXPECT_EQ(Text(), "Name: n\r\n");
  EXPECT_EQ(buffer_[10], 'x');  // nothing is written behind the zero byte
}

TEST_F(DllEntryTest, FailuresAnswerMinusThreeWithEmptyText) {
  const std::string cut = folder_.Write("cut.rpm", testing::Concat({testing::Lead(), testing::Bytes(4, 0x8E)}));
  for (const std::string& path : {cut, folder_.Path("missing.rpm"), std::string(), std::string(300, 'a')}) {
    EXPECT_EQ(Call(0, path.c_str()), kRequestFailed) << path;
    EXPECT_EQ(buffer_[0], '\0');
  }
  const std::string text = folder_.Write("notes.txt", testing::Bytes(200, 'a'));
  EXPECT_EQ(Call(0, text.c_str()), kRequestDone);
  EXPECT_EQ(buffer_[0], '\0');
}

TEST_F(DllEntryTest, HostReceivesTheFirst32766Bytes) {
  testing::HeaderBuilder main;
  main.String(1005, std::string(40000, 'd'));
  const std::string path = folder_.Write("long.rpm", testing::Package(main));
  EXPECT_EQ(Call(0, path.c_str()), kRequestDone);
  EXPECT_EQ(Text().size(), 32766u);
  EXPECT_EQ(Text().substr(0, 15), "Description: \r\n");
}

}  // namespace
}  // namespace vantrel

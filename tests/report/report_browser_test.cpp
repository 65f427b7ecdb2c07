// The written page opened by a real browser: the "gb2312" declaration must make it
// read the GBK bytes as the Chinese texts, and escaped markup must stay text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include "report/fuel_report.h"
#include "report/report_fixture.h"

namespace tankora {
namespace {

constexpr const char* kBrowser = "/usr/bin/chromium";

// The DOM the browser builds from the page at `path`, as UTF-8; empty when it failed.
std::string dumpDom(const std::string& path, const std::string& profileFolder) {
    std::string command = std::string("timeout 60 ") + kBrowser +
                          " --headless --no-sandbox --disable-gpu --disable-background-networking"
                          " --disable-component-update --disable-sync --no-first-run"
                          " --user-data-dir='" +
                          profileFolder + "' --dump-dom 'file://" + path + "' 2>'" + profileFolder + ".log'";
    FILE* output = ::popen(command.c_str(), "r");
    if (output == nullptr) return {};
    std::string dom;
    std::array<char, 4096> buffer;
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), output)) > 0;) {
        dom.append(buffer.data(), got);
    }
    int status = ::pclose(output);
    EXPECT_EQ(status, 0) << command;
    return dom;
}

TEST(ReportInBrowser, ShowsTheChineseTextsAndEscapedMarkupAsText) {
    if (::access(kBrowser, X_OK) != 0) GTEST_SKIP() << kBrowser << " is not installed";
    testing::TempFolder folder;
    testing::FakeMainWindow window;
    testing::FakeMessageBoxes messages;
    testing::showSmallLog(window);
    window.list.setCellText(1, 5, "<script>alert(1)</script>\xba\xc5");  // 号
    FuelReport::generate({"Tankora", "3.0", folder.withSeparator()}, window, messages);
    ASSERT_TRUE(messages.shown.empty());
    ASSERT_EQ(window.link.activated.size(), 1u);

    std::string dom = dumpDom(window.link.activated[0], folder.path() + "/profile");

    // UTF-8 of the texts the page holds in GBK.
    EXPECT_NE(dom.find("<title>\xe6\xb2\xb9\xe8\x80\x97\xe6\x8a\xa5\xe5\x91\x8a</title>"),  // 油耗报告
              std::string::npos)
        << dom;
    EXPECT_NE(dom.find("Tankora v3.0 \xe7\x94\x9f\xe6\x88\x90\xe7\x9a\x84"),  // 生成的
              std::string::npos);
    EXPECT_NE(dom.find("\xe5\xa4\xa9\xe6\x95\xb0:10\xe5\xa4\xa9"), std::string::npos);  // 天数:10天
    EXPECT_NE(dom.find("\xe5\xb9\xb3\xe5\x9d\x87\xe6\xb2\xb9\xe8\xb4\xb9:0.4\xe5\x85\x83/"
                       "\xe5\x85\xac\xe9\x87\x8c"),  // 平均油费:0.4元/公里
              std::string::npos);
    EXPECT_NE(dom.find(">\xe9\x87\x8c\xe7\xa8\x8b\xe8\xa1\xa8\xe8\xaf\xbb\xe6\x95\xb0</td>"),  // 里程表读数
              std::string::npos);
    EXPECT_NE(dom.find(">2005\xe5\xb9\xb4"
                       "3\xe6\x9c\x88"
                       "17\xe6\x97\xa5</td>"),  // 2005年3月17日
              std::string::npos);
    EXPECT_NE(dom.find(">&lt;script&gt;alert(1)&lt;/script&gt;\xe5\x8f\xb7</td>"),  // 号
              std::string::npos);
    EXPECT_EQ(dom.find("<script"), std::string::npos);
}

}  // namespace
}  // namespace tankora

#include "ui/gbk_qt.h"

#include <gtest/gtest.h>

namespace tankora {
namespace {

TEST(GbkQt, TextsCrossToQtAndBack) {
    struct Case {
        std::string gbk;
        const char* utf8;
    };
    const Case cases[] = {
        {"", ""},
        {"Tankora v3.0", "Tankora v3.0"},
        {"\xbc\xd3\xc2\xfa", "加满"},
        {"\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4\x3a\x30\x2e\x30\x30\xc9\xfd\x2f\xb0\xd9\xb9\xab\xc0\xef",
         "平均油耗:0.00升/百公里"},
        {"\xa3\xba", "："},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toQString(c.gbk), QString::fromUtf8(c.utf8)) << c.utf8;
        EXPECT_EQ(toGbk(QString::fromUtf8(c.utf8)), c.gbk) << c.utf8;
    }
}

TEST(GbkQt, CharactersGbkCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(toGbk(QString::fromUtf8("a😀b")), "a?b");
    EXPECT_EQ(toGbk(QString::fromUtf8("93号ก")), "93\xba\xc5?");  // Thai is not in GBK
}

TEST(GbkQt, UndecodableBytesShowTheReplacementCharacter) {
    const QString cut = toQString("9\xbc");  // a double-byte character cut short
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_EQ(cut.front(), QChar('9'));
    EXPECT_EQ(cut.back(), QChar(0xFFFD));
}

TEST(GbkQt, PathsStayInFileSystemBytes) {
    const std::string path = "/tmp/\xe6\x8a\xa5\xe5\x91\x8a/tmp.htm";  // UTF-8 报告
    const QString shown = pathToQString(path);
    EXPECT_EQ(shown, QString::fromUtf8("/tmp/报告/tmp.htm"));
    EXPECT_EQ(pathFromQString(shown), path);
    EXPECT_NE(toQString(path), shown);  // the same bytes read as GBK are another text
}

}  // namespace
}  // namespace tankora

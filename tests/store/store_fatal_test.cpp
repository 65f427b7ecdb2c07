#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/fuel_log_store.h"
#include "store/log_image.h"

namespace tankora {
namespace {

// 运行时出错! CR LF CR LF 错误信息： + the reason + CR LF
const std::string kBoxStart =
    "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed!\r\n\r\n\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba";
const std::string kMissingField =
    "\xd6\xb8\xb6\xa8\xd7\xd6\xb6\xce\xb2\xbb\xb4\xe6\xd4\xda";  // 指定字段不存在
// 未指定当前数据库或者指定数据库未打开
const std::string kNoStore =
    "\xce\xb4\xd6\xb8\xb6\xa8\xb5\xb1\xc7\xb0\xca\xfd\xbe\xdd\xbf\xe2\xbb\xf2\xd5\xdf\xd6\xb8\xb6\xa8\xca\xfd"
    "\xbe"
    "\xdd\xbf\xe2\xce\xb4\xb4\xf2\xbf\xaa";

class StoreFatalDeathTest : public test::LogFileTest {};

TEST_F(StoreFatalDeathTest, ReadingAFieldTheFileLacksEndsTheProgram) {
    put(test::logWithRecords(1));
    FuelLogStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EXIT(store.readField(11), ::testing::ExitedWithCode(255),
                ::testing::Eq(kBoxStart + kMissingField + "\r\n"));
    EXPECT_EXIT(store.readField(0), ::testing::ExitedWithCode(255),
                ::testing::Eq(kBoxStart + kMissingField + "\r\n"));
}

TEST_F(StoreFatalDeathTest, ALogWithFewerFieldsEndsTheProgramAtTheFirstMissingOne) {
    std::string image = test::logWithRecords(1);
    test::putInt32(image, 0x70, 9);
    image.erase(116 + 72 * 9, 72);  // no entry for 单价
    put(image);
    FuelLogStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.readField(9), FieldValue::ofReal(0.0));
    EXPECT_EXIT(store.readField(10), ::testing::ExitedWithCode(255),
                ::testing::Eq(kBoxStart + kMissingField + "\r\n"));
}

TEST_F(StoreFatalDeathTest, ReadingWithNoStoreOpenEndsTheProgram) {
    FuelLogStore never;
    EXPECT_EXIT(never.readField(1), ::testing::ExitedWithCode(255), ::testing::Eq(kBoxStart + kNoStore + "\r\n"));
    put(test::logWithRecords(1));
    FuelLogStore closed;
    ASSERT_TRUE(closed.open(path));
    closed.close(path);
    EXPECT_EXIT(closed.readField(1), ::testing::ExitedWithCode(255),
                ::testing::Eq(kBoxStart + kNoStore + "\r\n"));
}

}  // namespace
}  // namespace tankora

// What the report tests share: a fresh temporary folder, file bytes, and a main window
// showing a small log as the list refresh leaves it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/fake_toolkit.h"
#include "support/temp_folder.h"

namespace tankora::testing {

inline std::string fixtureBytes(const std::string& name) {
    return readFileBytes(std::string(TANKORA_TEST_DATA) + "/report/" + name);
}

// The eight label texts, by label number 1 … 8.
using LabelTexts = std::array<const char*, 8>;

inline void showLabels(FakeMainWindow& window, const LabelTexts& texts) {
    for (int number = 1; number <= 8; ++number) window.labels[number - 1].setText(texts[number - 1]);
}

// The labels of an empty log after a refresh.
inline void showEmptyLogLabels(FakeMainWindow& window) {
    showLabels(
        window,
        {
            "\xd7\xdc\xb9\xab\xc0\xef:0\xb9\xab\xc0\xef",                   // 总公里:0公里
            "\xd7\xdc\xba\xc4\xd3\xcd\xc1\xbf:0\xc9\xfd",                   // 总耗油量:0升
            "\xc6\xbd\xbe\xf9\xc0\xef\xb3\xcc:0\xb9\xab\xc0\xef/\xcc\xec",  // 平均里程:0公里/天
            "\xd7\xdc\xd3\xcd\xb7\xd1:0\xd4\xaa",                           // 总油费:0元
            "\xcc\xec\xca\xfd:0\xcc\xec",                                   // 天数:0天
            "\xc6\xbd\xbe\xf9\xd3\xcd\xbc\xdb:0\xd4\xaa",                   // 平均油价:0元
            "\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4:0\xc9\xfd/\xb0\xd9\xb9\xab\xc0\xef",  // 平均油耗:0升/百公里
            "\xc6\xbd\xbe\xf9\xd3\xcd\xb7\xd1:0\xd4\xaa/\xb9\xab\xc0\xef",  // 平均油费:0元/公里
        });
}

inline void appendListRow(FakeMainWindow& window, const std::vector<std::string>& cells) {
    int row = window.list.appendRow();
    for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
        window.list.setCellText(row, column, cells[column]);
    }
}

// Two entries ten days apart, 1000 and 1500 km, the first 40 litres for 200 yuan.
inline void showSmallLog(FakeMainWindow& window) {
    appendListRow(window, {"1",
                           "2005\xc4\xea"
                           "3\xd4\xc2"
                           "7\xc8\xd5",                             // 2005年3月7日
                           "1000\xb9\xab\xc0\xef",                  // 1000公里
                           "\xce\xb4\xd6\xaa",                      // 未知
                           "40\xc9\xfd",                            // 40升
                           "93\xba\xc5",                            // 93号
                           "200\xd4\xaa",                           // 200元
                           "\xca\xc7",                              // 是
                           "8\xc9\xfd/\xb0\xd9\xb9\xab\xc0\xef"});  // 8升/百公里
    appendListRow(window, {"2",
                           "2005\xc4\xea"
                           "3\xd4\xc2"
                           "17\xc8\xd5",                          // 2005年3月17日
                           "1500\xb9\xab\xc0\xef",                // 1500公里
                           "500\xb9\xab\xc0\xef",                 // 500公里
                           "30\xc9\xfd",                          // 30升
                           "93\xba\xc5",                          // 93号
                           "150\xd4\xaa",                         // 150元
                           "\xca\xc7",                            // 是
                           "\xb2\xbb\xbf\xc9\xbc\xc6\xcb\xe3"});  // 不可计算
    showLabels(
        window,
        {
            "\xd7\xdc\xb9\xab\xc0\xef:500\xb9\xab\xc0\xef",                  // 总公里:500公里
            "\xd7\xdc\xba\xc4\xd3\xcd\xc1\xbf:40\xc9\xfd",                   // 总耗油量:40升
            "\xc6\xbd\xbe\xf9\xc0\xef\xb3\xcc:50\xb9\xab\xc0\xef/\xcc\xec",  // 平均里程:50公里/天
            "\xd7\xdc\xd3\xcd\xb7\xd1:200\xd4\xaa",                          // 总油费:200元
            "\xcc\xec\xca\xfd:10\xcc\xec",                                   // 天数:10天
            "\xc6\xbd\xbe\xf9\xd3\xcd\xbc\xdb:5\xd4\xaa",                    // 平均油价:5元
            "\xc6\xbd\xbe\xf9\xd3\xcd\xba\xc4:8\xc9\xfd/\xb0\xd9\xb9\xab\xc0\xef",  // 平均油耗:8升/百公里
            "\xc6\xbd\xbe\xf9\xd3\xcd\xb7\xd1:0.4\xd4\xaa/\xb9\xab\xc0\xef",  // 平均油费:0.4元/公里
        });
}

}  // namespace tankora::testing

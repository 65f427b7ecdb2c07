// The main list's nine columns as the window opens: titles (GBK) and widths in pixels.
#pragma once

#include <array>

namespace tankora {

struct MainListColumn {
    const char* title;
    int width;
};

inline constexpr std::array<MainListColumn, 9> kMainListColumns = {{
    {"\xd0\xf2\xba\xc5", 50},                          // 序号
    {"\xc8\xd5\xc6\xda", 100},                         // 日期
    {"\xc0\xef\xb3\xcc\xb1\xed\xb6\xc1\xca\xfd", 90},  // 里程表读数
    {"\xd0\xd0\xca\xb9\xc0\xef\xb3\xcc", 90},          // 行使里程
    {"\xbc\xd3\xd3\xcd\xc1\xbf", 60},                  // 加油量
    {"\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd", 65},          // 燃油类型
    {"\xbd\xf0\xb6\xee", 65},                          // 金额
    {"\xbc\xd3\xc2\xfa", 50},                          // 加满
    {"\xd3\xcd\xba\xc4\xb9\xc0\xbc\xc6", 100},         // 油耗估计
}};

}  // namespace tankora

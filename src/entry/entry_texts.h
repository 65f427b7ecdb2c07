// Texts and keys that more than one of the entry handlers use.
#pragma once

#include <string>

namespace tankora {

// The settings key of the fuel type last shown in the entry dialog, and its default.
inline const std::string kFuelTypeSettingKey =
    "\xd3\xcd\xba\xc4\xd0\xc5\xcf\xa2\x2e\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd";  // 油耗信息.燃油类型
inline const std::string kDefaultFuelType = "93";

// The record at the selected serial's position does not carry that serial.
inline const std::string kRecordNotFoundText =
    "\xce\xde\xb7\xa8\xb2\xe9\xd1\xaf\xb6\xd4\xd3\xa6\xbc\xc7\xc2\xbc";  // 无法查询对应记录
inline const std::string kRecordNotFoundTitle = "sorry";

inline const std::string kFailureTitle = "\xca\xa7\xb0\xdc";  // 失败

}  // namespace tankora

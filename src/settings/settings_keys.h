#pragma once
// The settings file's section and keys. The keys are Japanese and always stored as their
// Shift-JIS bytes, whatever the system's code page, so that every system finds them.

#include <string>
#include <string_view>

namespace vexaframe::settings_keys {

inline constexpr std::string_view kSection = "Section";
inline constexpr std::string_view kOrderMode = "\x89\xE6\x91\x9C\xC1\xAA\xDD\xBC\xDE";  // 画像ﾁｪﾝｼﾞ
inline constexpr std::string_view kInterval = "\xB2\xDD\xC0\xB0\xCA\xDE\xD9";  // ｲﾝﾀｰﾊﾞﾙ
inline constexpr std::string_view kTransparency = "\x93\xA7\x96\xBE\x8C\xF8\x89\xCA";  // 透明効果
inline constexpr std::string_view kImageFolder =
    "\x89\xE6\x91\x9C\x82\xCC\xCC\xAB\xD9\xC0\xDE";  // 画像のﾌｫﾙﾀﾞ

inline constexpr std::string_view kSubFolders = "\xBB\xCC\xDE\xCC\xAB\xD9\xC0\xDE";  // ｻﾌﾞﾌｫﾙﾀﾞ
inline constexpr std::string_view kCaption = "\xB7\xAC\xCC\xDF\xBC\xAE\xDD";  // ｷｬﾌﾟｼｮﾝ

// 画像種類_0 to 画像種類_7
inline std::string KindKey(int index) {
    return std::string("\x89\xE6\x91\x9C\x8E\xED\x97\xDE") + "_" + std::to_string(index);
}

inline constexpr std::string_view kSettingsFileName = "Vexaframe.ini";
inline constexpr std::string_view kPictureFileName = "Vexaframe.bmp";

}  // namespace vexaframe::settings_keys

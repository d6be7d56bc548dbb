// What the program says about itself: the about box that "版本信息" shows, and the splash line.
#pragma once

#include "MyCode/StringCtrl.h"
#include "app/Version.h"  // made by the build from VERSION

namespace albatrix {

inline constexpr TextView kAboutTitle = u"关于";
inline constexpr TextView kAboutVersion = u"版本号：" ALBATRIX_VERSION;
inline constexpr TextView kAboutLine = u"Albatrix：批量下载虎扑相册";
inline constexpr TextView kAboutClose = u"确定";
inline constexpr TextView kSplashText = u"正在启动 Albatrix，请稍候……";

}  // namespace albatrix

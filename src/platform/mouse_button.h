#pragma once
// The mouse buttons the program tells apart.

namespace vexaframe {

enum class MouseButton { Left, Right, Middle };

}  // namespace vexaframe

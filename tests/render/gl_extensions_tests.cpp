#include <gtest/gtest.h>

#include "render/gl_extensions.h"

namespace vexaframe {
namespace {

TEST(ListsExtension, FindsOnlyWholeNamesInAList) {
    const char* const list = "GL_ARB_multitexture GL_EXT_swap_control_tear GL_EXT_swap_control";
    EXPECT_TRUE(ListsExtension(list, "GL_ARB_multitexture"));  // first
    EXPECT_TRUE(ListsExtension(list, "GL_EXT_swap_control"));  // last, after a longer name
    EXPECT_FALSE(ListsExtension(list, "GL_ARB_multi"));        // the start of a name
    EXPECT_FALSE(ListsExtension(list, "multitexture"));        // the end of a name
    EXPECT_FALSE(ListsExtension("GL_EXT_swap_control_tear", "GL_EXT_swap_control"));
    EXPECT_TRUE(ListsExtension("GL_A ", "GL_A"));  // as some drivers end the list
    EXPECT_FALSE(ListsExtension(nullptr, "GL_A"));
    EXPECT_FALSE(ListsExtension("", "GL_A"));
    EXPECT_FALSE(ListsExtension("GL_A", ""));
}

}  // namespace
}  // namespace vexaframe

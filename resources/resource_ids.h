// Numbers of the program's resources, shared by the resource script and the code.
#pragma once

#define VEXAFRAME_PREVIEW_STILL 101

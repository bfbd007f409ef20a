#pragma once
// The keys that step through the pictures while the saver runs. They type no character, so they
// never end it.

namespace vexaframe {

enum class ShowKey {
    Next,      // the next picture at once
    Previous,  // the picture shown before
    Hold,      // holds the picture against the interval, until pressed again
    Caption,   // the picture's caption, for an interval
};

}  // namespace vexaframe

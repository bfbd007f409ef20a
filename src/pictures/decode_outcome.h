#pragma once
// What the saver and a decoder process it started agree on, the same on every platform: how the
// process learns that it is a decoder, and what its exit code says.

namespace vexaframe {

enum class DecodeOutcome {
    Written,    // the bitmap file holds the picture
    NoPicture,  // the file holds no picture the loader takes
    Failed,     // the decoder crashed, could not start or could not write the bitmap file
    TimedOut,   // ended after running too long
    Stopped,    // ended on request
};

namespace decoder {

// Set in a decoder's environment, so that the command line keeps its meaning for the saver.
inline constexpr char kMarkVariable[] = "VEXAFRAME_PICTURE_DECODER";

// Its exit codes. None is 1, which the sanitizers give a process that they end on a fault.
inline constexpr int kWritten = 0;
inline constexpr int kNoPicture = 2;
inline constexpr int kNotWritten = 3;

// Whatever else a decoder ends with, it failed.
constexpr DecodeOutcome OutcomeOfExitCode(int code) {
    if (code == kWritten) return DecodeOutcome::Written;
    return code == kNoPicture ? DecodeOutcome::NoPicture : DecodeOutcome::Failed;
}

}  // namespace decoder
}  // namespace vexaframe

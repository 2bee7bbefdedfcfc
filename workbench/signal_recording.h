#pragma once
// The board's signals written to a Value Change Dump file as they change, in
// nanoseconds from the start of the recording. Time goes on across resets
// and changes of the clock: each continues from the time reached.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tovi {

namespace mcs48 {
class Board;
class VcdWriter;
struct SignalChange;
} // namespace mcs48

class SignalRecording {
public:
    // Creates the file and writes the header with the signals' values at
    // `cycle`; nothing when the file cannot be created.
    static std::unique_ptr<SignalRecording> start(const std::filesystem::path& path,
                                                  mcs48::Board& board, std::int64_t cycle,
                                                  double nanosecondsPerCycle);
    ~SignalRecording();

    // The same board made anew: its changes are recorded from now on.
    void follow(mcs48::Board& board);
    // The cycles start over from `newCycle` at the time `oldCycle` had
    // reached, `nanosecondsPerCycle` each from now on.
    void continueFrom(std::int64_t oldCycle, std::int64_t newCycle, double nanosecondsPerCycle);
    // What has been recorded goes to the file; false when writing failed.
    bool flush();
    // Flushes and closes the file; false when writing failed.
    bool finish();

private:
    SignalRecording(const std::filesystem::path& path, mcs48::Board& board, std::int64_t cycle,
                    double nanosecondsPerCycle);
    void record(const mcs48::SignalChange& change);
    std::uint64_t timeOf(std::int64_t cycle) const;

    std::ofstream file_;
    mcs48::Board* board_;
    std::unique_ptr<mcs48::VcdWriter> writer_;
    std::string pending_;
    std::int64_t cycleOrigin_;
    std::uint64_t timeOrigin_ = 0;
    double nanosecondsPerCycle_;
};

} // namespace tovi

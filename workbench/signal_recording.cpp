#include "workbench/signal_recording.h"

#include <cmath>
#include <vector>

#include "mcs48/board.h"
#include "mcs48/vcd.h"

namespace tovi {
namespace {

// Pending text goes to the file once it reaches this size, and at each flush.
constexpr std::size_t fullBuffer = 1 << 20;

} // namespace

std::unique_ptr<SignalRecording> SignalRecording::start(const std::filesystem::path& path,
                                                        mcs48::Board& board, std::int64_t cycle,
                                                        double nanosecondsPerCycle) {
    std::unique_ptr<SignalRecording> recording(
        new SignalRecording(path, board, cycle, nanosecondsPerCycle));
    if (!recording->file_.is_open() || !recording->flush()) {
        return nullptr;
    }
    return recording;
}

SignalRecording::SignalRecording(const std::filesystem::path& path, mcs48::Board& board,
                                 std::int64_t cycle, double nanosecondsPerCycle)
    : file_(path, std::ios::binary | std::ios::trunc), board_(&board),
      writer_(std::make_unique<mcs48::VcdWriter>(mcs48::vcdSignalsOf(board))), cycleOrigin_(cycle),
      nanosecondsPerCycle_(nanosecondsPerCycle) {
    writer_->appendHeader(pending_, mcs48::vcdHeaderDatedNow("Tovi " TOVI_VERSION),
                          board.signalValues());
    follow(board);
}

SignalRecording::~SignalRecording() {
    board_->onSignalChange({});
}

void SignalRecording::follow(mcs48::Board& board) {
    board_ = &board;
    board.onSignalChange([this](const mcs48::SignalChange& change) { record(change); });
}

void SignalRecording::continueFrom(std::int64_t oldCycle, std::int64_t newCycle,
                                   double nanosecondsPerCycle) {
    timeOrigin_ = timeOf(oldCycle);
    cycleOrigin_ = newCycle;
    nanosecondsPerCycle_ = nanosecondsPerCycle;
}

std::uint64_t SignalRecording::timeOf(std::int64_t cycle) const {
    const double since = static_cast<double>(std::max<std::int64_t>(0, cycle - cycleOrigin_));
    return timeOrigin_ + static_cast<std::uint64_t>(std::llround(since * nanosecondsPerCycle_));
}

void SignalRecording::record(const mcs48::SignalChange& change) {
    writer_->appendChange(pending_, timeOf(change.cycle), change.signal, change.value);
    if (pending_.size() >= fullBuffer) {
        flush();
    }
}

bool SignalRecording::flush() {
    file_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    file_.flush();
    pending_.clear();
    return file_.good();
}

bool SignalRecording::finish() {
    const bool written = flush();
    file_.close();
    return written && !file_.fail();
}

} // namespace tovi

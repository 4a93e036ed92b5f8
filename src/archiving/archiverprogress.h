#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "archiving/runsinprogress.h"
#include "platform/winexec.h"

namespace kv {

// Follows the percentages that 7-Zip writes into its output with -bsp1. Each update begins with
// the percent ("  3% + docs.txt", " 42% 12 + big.bin") and ends where the next begins: at the
// backspaces that erase it, at a carriage return or at a line end. An update counts once its
// percent sign has come. Output of any other kind (another archiver, 7-Zip without -bsp1) holds
// no such update, and the percent stays unknown.
class ArchiverProgress {
public:
    // Takes the next piece of the output, cut anywhere. Returns whether the percent changed.
    bool feed(QByteArrayView piece);
    // The percent of the last update; -1 before the first.
    int percent() const { return percent_; }

private:
    QByteArray update_;  // the beginning of the update under way
    int percent_ = -1;
};

// The output handler for a run's archiver: keeps the percent of the run that `claim` stands for
// up to date, as long as the claim is held.
ProgramOutputHandler followProgress(const RunClaim& claim);

}  // namespace kv

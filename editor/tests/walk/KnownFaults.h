#pragma once

// A table of faults that are known and mended elsewhere: each entry lets
// the findings of one rule on exactly the controls it matches pass as
// expected, and must itself match at least once, so that a mended fault
// shows up as an entry to remove. Findings no entry matches are the
// check's failures.
//
// Threading: any one thread.

#include "editor/tests/walk/IntegrityCheck.h"

#include <functional>
#include <string>
#include <vector>

namespace walk {

struct KnownFault {
    // The fault's number in its issue, and the fault as a to-do line.
    int fault;
    std::string what;
    Rule rule;
    std::function<bool(const Finding&)> matches;
};

class KnownFaults {
public:
    explicit KnownFaults(std::vector<KnownFault> table);

    // The findings that no entry expects; the entries that match are noted.
    std::vector<Finding> unexpected(const std::vector<Finding>& findings);
    // The entries that matched nothing so far.
    std::vector<const KnownFault*> unmatched() const;
    const std::vector<KnownFault>& table() const { return table_; }

private:
    std::vector<KnownFault> table_;
    std::vector<bool> matched_;
};

} // namespace walk

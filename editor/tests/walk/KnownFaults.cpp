#include "editor/tests/walk/KnownFaults.h"

namespace walk {

KnownFaults::KnownFaults(std::vector<KnownFault> table) : table_(std::move(table)), matched_(table_.size()) {}

std::vector<Finding> KnownFaults::unexpected(const std::vector<Finding>& findings) {
    std::vector<Finding> left;
    for (const Finding& finding : findings) {
        bool expected = false;
        for (std::size_t i = 0; i < table_.size(); ++i)
            if (table_[i].rule == finding.rule && table_[i].matches(finding)) {
                matched_[i] = true;
                expected = true;
            }
        if (!expected) left.push_back(finding);
    }
    return left;
}

std::vector<const KnownFault*> KnownFaults::unmatched() const {
    std::vector<const KnownFault*> left;
    for (std::size_t i = 0; i < table_.size(); ++i)
        if (!matched_[i]) left.push_back(&table_[i]);
    return left;
}

} // namespace walk

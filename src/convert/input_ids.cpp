#include "convert/input_ids.h"

#include <algorithm>

namespace {

// Batches grow with the set, so each id is moved a few times in all.
constexpr size_t SMALLEST_BATCH = 1024;

} // namespace

void InputIds::merge_recent() {
    std::vector<FileId> merged;
    merged.reserve(sorted_.size() + recent_.size());
    std::merge(sorted_.begin(), sorted_.end(), recent_.begin(), recent_.end(),
               std::back_inserter(merged));
    sorted_.swap(merged);
    recent_.clear();
}

bool InputIds::add(const FileId &id) {
    if (std::binary_search(sorted_.begin(), sorted_.end(), id) || !recent_.insert(id).second)
        return false;
    if (recent_.size() >= std::max(SMALLEST_BATCH, sorted_.size() / 4))
        merge_recent();
    return true;
}

void InputIds::first_walk_done() {
    merge_recent();
    sorted_.shrink_to_fit();
    reached_.assign(sorted_.size(), false);
}

bool InputIds::reach(const FileId &id) {
    auto place = std::lower_bound(sorted_.begin(), sorted_.end(), id);
    if (place == sorted_.end() || *place != id)
        return recent_.insert(id).second; // new since the first walk
    auto bit = reached_[static_cast<size_t>(place - sorted_.begin())];
    bool first = !bit;
    bit = true;
    return first;
}

bool InputIds::contains(const FileId &id) const {
    return std::binary_search(sorted_.begin(), sorted_.end(), id) || recent_.count(id);
}

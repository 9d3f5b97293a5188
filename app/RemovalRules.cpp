#include "app/RemovalRules.h"

#include <algorithm>
#include <numeric>

namespace dustvale {

std::vector<std::size_t> ItemsOlderThan(const std::vector<RecycleBinItem>& items, FileTime now,
                                        std::uint32_t days) {
    const FileTime limit = static_cast<FileTime>(days) * kFileTimePerDay;
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].deletedAt && now - *items[i].deletedAt > limit) chosen.push_back(i);
    }
    return chosen;
}

std::vector<std::size_t> ItemsOverSize(const std::vector<RecycleBinItem>& items,
                                       std::uint64_t limitBytes) {
    std::uint64_t total = 0;
    for (const RecycleBinItem& item : items) total += item.bytes;
    if (total <= limitBytes) return {};
    std::vector<std::size_t> dated;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].deletedAt) dated.push_back(i);
    }
    if (dated.empty()) return {};
    std::stable_sort(dated.begin(), dated.end(), [&](std::size_t a, std::size_t b) {
        return *items[a].deletedAt < *items[b].deletedAt;
    });
    const std::size_t newest = dated.back();
    dated.pop_back();
    std::vector<std::size_t> chosen;
    for (const std::size_t index : dated) {
        if (total <= limitBytes) break;
        chosen.push_back(index);
        total -= items[index].bytes;
    }
    if (total > limitBytes && items[newest].bytes > limitBytes) chosen.push_back(newest);
    return chosen;
}

}  // namespace dustvale

#include "locks/lock_requirements.h"

#include <set>
#include <utility>

#include "locks/lock_data.h"
#include "locks/lock_randomizer.h"

namespace tarvenna {
namespace {

// Location 86 needs the dog whistle whatever its locks are.
constexpr int kDogWhistle = 82;

// The rules in terms of the drawn kinds. A marked location needs no key at
// all. Some rules count the lists of an entry, so every append creates its
// list even when it adds no item, as the table's lookups do.
class RequirementBuilder {
public:
    RequirementBuilder(const Settings& settings, const std::vector<int>& lockKinds,
                       std::map<int, RequirementLists>& requirements)
        : character_(settings.character), lockKinds_(lockKinds), requirements_(requirements)
    {
    }

    int Kind(int lock) const { return lockKinds_[static_cast<std::size_t>(lock)]; }
    bool Open(int lock) const { return OpenFromFront(Kind(lock)); }

    void Mark(int location) { marked_.insert(location); }
    bool Marked(int location) const { return marked_.count(location) != 0; }

    RequirementLists& Entry(int location) { return requirements_[location]; }
    int ListCount(int location) { return static_cast<int>(Entry(location).size()); }

    void Copy(int location, int from)
    {
        RequirementLists copy = Entry(from);
        Entry(location) = std::move(copy);
    }

    void AppendKey(int lock, std::vector<int>& list) const { KeyItemsForLockKind(Kind(lock), character_, list); }
    void RequireKey(int location, int lock) { AppendKey(lock, Entry(location)[0]); }
    void RequireKeyUnlessOpen(int location, int lock)
    {
        if (!Open(lock)) RequireKey(location, lock);
    }
    void RequireItems(int location, const std::vector<int>& items)
    {
        std::vector<int>& list = Entry(location)[0];
        list.insert(list.end(), items.begin(), items.end());
    }

    // One more way in, through the keys of these locks together.
    void AddAlternative(int location, const std::vector<int>& locks)
    {
        const int number = ++alternativeCount_[location];
        std::vector<int>& list = Entry(location)[number];
        for (int lock : locks) AppendKey(lock, list);
    }

    // An area one lock beyond another needs what the other needs plus the
    // lock's key; behind an open lock it is free exactly when the other is.
    void BuildAreaBeyondLock(const AreaBeyondLock& area)
    {
        Copy(area.location, area.reachedFrom);
        if (!Open(area.lock))
            RequireKey(area.location, area.lock);
        else if (Marked(area.reachedFrom))
            Mark(area.location);
    }

    bool IsJill() const { return character_ != Character::Chris; }

private:
    Character character_;
    const std::vector<int>& lockKinds_;
    std::map<int, RequirementLists>& requirements_;
    std::set<int> marked_;
    std::map<int, int> alternativeCount_;
};

void BuildSingleLockAreas(RequirementBuilder& b)
{
    // Rule 1.
    for (const SingleLockArea& area : kSingleLockAreas) {
        if (b.Open(area.lock))
            b.Mark(area.location);
        else
            b.RequireKey(area.location, area.lock);
    }
}

// Behind the corridor locks 14 to 19.
void BuildDarkCorridorAreas(RequirementBuilder& b)
{
    // Rule 2: location 88.
    if (!b.Open(16))
        b.RequireKey(88, 16);
    else if (b.Marked(119))
        b.Mark(88);
    else
        b.RequireKey(88, 14);

    // Rule 3: location 122.
    if (b.Marked(119)) {
        if (b.Open(15))
            b.Mark(122);
        else
            b.RequireKey(122, 15);
    } else {
        b.RequireKeyUnlessOpen(122, 15);
        b.RequireKeyUnlessOpen(122, 14);
    }

    // Rule 4: location 89.
    b.Copy(89, 122);
    b.RequireKeyUnlessOpen(89, 18);

    // Rule 5: location 90.
    if (b.Open(19)) {
        b.Mark(90);
    } else {
        b.Copy(90, 122);
        b.RequireKeyUnlessOpen(90, 17);
    }
}

// Locations 76, 79 and 86 lie around the stairway locks 1 to 4, 6 and 13;
// each can be reached through another.
void BuildStairwayAreas(RequirementBuilder& b)
{
    // Rule 6.
    if (b.Open(6)) b.Mark(79);
    if (OpenFromBack(b.Kind(2)) || OpenFromBack(b.Kind(4))) b.Mark(76);
    if (b.Open(13)) {
        b.Mark(86);
        if (OpenFromBack(b.Kind(3))) b.Mark(76);
    }
    if (OpenFromBack(b.Kind(1)) && b.Marked(79)) b.Mark(76);
    if (b.Open(1) && b.Marked(76)) b.Mark(79);

    // Rule 7: location 76.
    if (!b.Marked(76)) {
        if (!BarredFromBack(b.Kind(2))) b.AddAlternative(76, {2});
        if (!BarredFromBack(b.Kind(4))) b.AddAlternative(76, {4});
        if (OpenFromBack(b.Kind(1)))
            b.AddAlternative(76, {6});
        else if (!BarredFromBack(b.Kind(1)))
            b.AddAlternative(76, {1});
        if (b.Open(3))
            b.AddAlternative(76, {13});
        else if (b.Kind(3) != kOneWayOldKeyMix)
            b.AddAlternative(76, {3});
    }

    // Rule 8: location 79.
    if (!b.Marked(79)) {
        if (!BarredFromFront(b.Kind(6))) b.AddAlternative(79, {13});
        if (!BarredFromFront(b.Kind(1))) {
            if (b.Marked(76)) {
                b.AddAlternative(79, {1});
            } else {
                if (!BarredFromBack(b.Kind(2))) b.AddAlternative(79, {1, 2});
                if (!BarredFromBack(b.Kind(4))) b.AddAlternative(79, {1, 4});
                if (!BarredFromBack(b.Kind(3))) {
                    if (b.Marked(86))
                        b.AddAlternative(79, {3, 1});
                    else if (!BarredFromFront(b.Kind(13)))
                        b.AddAlternative(79, {3, 1, 13});
                }
            }
        }
    }

    // Rule 9: location 86.
    b.RequireItems(86, {kDogWhistle});
    if (!b.Marked(86)) {
        if (!BarredFromFront(b.Kind(13))) b.AddAlternative(86, {13});
        if (!BarredFromBack(b.Kind(3))) {
            if (b.Marked(76)) {
                b.AddAlternative(86, {3});
            } else {
                if (!BarredFromBack(b.Kind(2))) b.AddAlternative(86, {3, 2});
                if (!BarredFromBack(b.Kind(4))) b.AddAlternative(86, {3, 4});
                if (!BarredFromBack(b.Kind(1))) {
                    if (b.Marked(79))
                        b.AddAlternative(86, {3, 1});
                    else if (!BarredFromFront(b.Kind(6)))
                        b.AddAlternative(86, {3, 1, 6});
                }
            }
        }
    }

    // Rules 10 to 12.
    for (const AreaBeyondLock& area : kAreasBeyondWestLocks) b.BuildAreaBeyondLock(area);
}

// Locations 121 and 87 are reached through lock 10 or the long way round;
// the areas beyond them follow.
void BuildCCorridorAreas(RequirementBuilder& b)
{
    // Rule 13.
    if (b.Open(10)) {
        b.Mark(121);
        b.Mark(87);
    }
    if (b.Marked(119) && b.Open(15)) b.Mark(87);

    // Rule 14: location 121.
    if (!b.Marked(121)) {
        if (!BarredFromFront(b.Kind(10))) b.AddAlternative(121, {10});
        if (!BarredFromBack(b.Kind(22))) {
            std::vector<int> locks = {22};
            if (!b.Marked(79) && !BarredFromFront(b.Kind(15))) {
                if (b.Marked(119))
                    locks.push_back(15);
                else if (!BarredFromFront(b.Kind(14)))
                    locks.push_back(14);
            }
            b.AddAlternative(121, locks);
        }
    }

    // Rules 15 and 16.
    for (const AreaBeyondLock& area : kAreasBeyondEastLocks) b.BuildAreaBeyondLock(area);
    b.Copy(97, 94);
    b.RequireKey(97, 29);

    // Rule 17: location 87.
    if (!b.Marked(87)) {
        if (!BarredFromFront(b.Kind(10))) b.AddAlternative(87, {10});
        if (!BarredFromFront(b.Kind(15))) {
            if (b.Marked(119))
                b.AddAlternative(87, {15});
            else if (!BarredFromFront(b.Kind(14)))
                b.AddAlternative(87, {14});
        }
    }
}

// The areas reached from location 87.
void BuildAreasBeyond87(RequirementBuilder& b)
{
    // Rule 18.
    if (b.Open(8)) {
        b.Mark(98);
        if (b.Kind(30) == kUnlocked) {
            b.Mark(99);
            b.Mark(100);
        }
    }
    if (b.Marked(87) && b.Open(28)) {
        for (int location : {118, 99, 98, 100}) b.Mark(location);
    }

    // Rule 19: location 118.
    b.Copy(118, 87);
    if (!b.Marked(118) && !b.Open(28)) b.RequireKey(118, 28);

    // Rule 20: location 99. A marked 99 skips the lock 8 clause too.
    if (!b.Marked(99)) {
        b.Copy(99, 87);
        if (!b.Open(28)) {
            for (int i = 1; i < b.ListCount(99); ++i) b.AppendKey(28, b.Entry(99)[i]);
        }
        if (b.Kind(30) == kUnlocked && !BarredFromFront(b.Kind(28))) {
            const int last = b.ListCount(99);
            b.AppendKey(8, b.Entry(99)[last]);
        }
    }

    // Rule 21: location 98.
    if (!b.Marked(98)) b.Copy(98, 99);

    // Rule 22: location 100.
    if (!b.Marked(100)) {
        b.Copy(100, 99);
        if (!BarredFromBack(b.Kind(26))) {
            const int last = b.ListCount(100);
            b.AppendKey(26, b.Entry(100)[last]);
        }
    }

    // Rule 23.
    if (b.Marked(87) && b.Open(24)) {
        b.Mark(91);
        if (b.Open(25)) b.Mark(92);
    }

    // Rules 24 and 25: locations 91 and 92.
    if (!b.Marked(91)) {
        b.Copy(91, 87);
        b.RequireKey(91, 24);
    }
    if (!b.Marked(92)) {
        b.Copy(92, 91);
        b.RequireKey(92, 25);
    }
}

// Rule 26.
void BuildGatedAreas(RequirementBuilder& b)
{
    for (const GatedArea& area : kGatedAreas) {
        if (area.reachedFrom != kOwnEntry) b.Copy(area.location, area.reachedFrom);
        if (!area.items.empty()) b.RequireItems(area.location, area.items);
        for (int lock : area.locks) b.RequireKeyUnlessOpen(area.location, lock);
        for (std::size_t i = 0; i < area.alternatives.size(); ++i) {
            std::vector<int>& list = b.Entry(area.location)[static_cast<int>(i) + 1];
            list.insert(list.end(), area.alternatives[i].begin(), area.alternatives[i].end());
        }
    }
    // Nothing copies location 95, so this may follow the table.
    if (b.IsJill()) b.RequireItems(kLighterArea, {kLighter});
}

// Rule 27: location 117 lies beyond both 86 and 87, so every way into 86
// pairs with every way into 87.
void BuildLocation117(RequirementBuilder& b)
{
    if (b.Marked(87)) {
        b.Copy(117, 86);
        return;
    }
    const int lists86 = b.ListCount(86);
    if (lists86 == 1) {
        b.Copy(117, 87);
    } else {
        const int ways86 = lists86 - 1;
        const int ways87 = b.ListCount(87);
        RequirementLists& entry = b.Entry(117);
        for (int j = 1; j <= ways87; ++j) {
            for (int i = 1; i <= ways86; ++i) entry[(j - 1) * ways86 + i] = b.Entry(86)[i];
        }
        // c / lists86 + 1 is the block number only for the two blocks that
        // 87 can have.
        for (int c = 1; c <= b.ListCount(117); ++c) {
            const std::vector<int>& way87 = b.Entry(87)[c / lists86 + 1];
            entry[c].insert(entry[c].end(), way87.begin(), way87.end());
        }
    }
    b.RequireItems(117, {kDogWhistle});
}

} // namespace

void BuildLockRequirements(const Settings& settings, const std::vector<int>& lockKinds,
                           std::map<int, RequirementLists>& requirements)
{
    requirements.clear();
    RequirementBuilder builder(settings, lockKinds, requirements);
    BuildSingleLockAreas(builder);
    BuildDarkCorridorAreas(builder);
    BuildStairwayAreas(builder);
    BuildCCorridorAreas(builder);
    BuildAreasBeyond87(builder);
    BuildGatedAreas(builder);
    BuildLocation117(builder);
}

} // namespace tarvenna

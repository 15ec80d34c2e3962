#include "locks/lock_requirements.h"

#include <set>
#include <utility>

#include "locks/lock_data.h"
#include "locks/lock_randomizer.h"

namespace tarvenna {
namespace {

using namespace area;
using namespace lock;
using key_item::kDogWhistle;

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

// Areas one lock away from where the game starts: free behind an open lock.
void BuildSingleLockAreas(RequirementBuilder& b)
{
    for (const SingleLockArea& area : kSingleLockAreas) {
        if (b.Open(area.lock))
            b.Mark(area.location);
        else
            b.RequireKey(area.location, area.lock);
    }
}

// Off the Winding Corridor: the Outside Boiler, and the Dark Corridor with
// the Courtyard Study and the Large Gallery beyond it. The L Corridor, when
// free, is another way in.
void BuildDarkCorridorAreas(RequirementBuilder& b)
{
    // The Outside Boiler: its own lock, or the way past the Art Room's.
    if (!b.Open(kWindingCorridorOutsideBoiler))
        b.RequireKey(kOutsideBoiler, kWindingCorridorOutsideBoiler);
    else if (b.Marked(kLCorridor))
        b.Mark(kOutsideBoiler);
    else
        b.RequireKey(kOutsideBoiler, kArtRoomLCorridor);

    // The Dark Corridor: its own lock, and the Art Room's unless the L Corridor is free.
    if (b.Marked(kLCorridor)) {
        if (b.Open(kWindingCorridorDarkCorridor))
            b.Mark(kDarkCorridor);
        else
            b.RequireKey(kDarkCorridor, kWindingCorridorDarkCorridor);
    } else {
        b.RequireKeyUnlessOpen(kDarkCorridor, kWindingCorridorDarkCorridor);
        b.RequireKeyUnlessOpen(kDarkCorridor, kArtRoomLCorridor);
    }

    b.Copy(kCourtyardStudy, kDarkCorridor);
    b.RequireKeyUnlessOpen(kCourtyardStudy, kDarkCorridorCourtyardStudy);

    // The Large Gallery: free from the Graveyard, or through the Dark Corridor.
    if (b.Open(kGraveyardLargeGallery)) {
        b.Mark(kLargeGallery);
    } else {
        b.Copy(kLargeGallery, kDarkCorridor);
        b.RequireKeyUnlessOpen(kLargeGallery, kDarkCorridorLargeGallery);
    }
}

// The West Wing Inner Stairway, the Northern Corridor and the Outside
// Balcony lie around the stairway's locks and the Tea Room's and Main Hall's;
// each can be reached through another, and one-way doors count only from
// their open side.
void BuildStairwayAreas(RequirementBuilder& b)
{
    // Free ways in first: what these mark, the ways below take for granted.
    if (b.Open(kTeaRoomNorthernCorridor)) b.Mark(kNorthernCorridor);
    if (OpenFromBack(b.Kind(kStairwayDiningRoom2F)) || OpenFromBack(b.Kind(kStairwayMirrorCorridor)))
        b.Mark(kWestWingInnerStairway);
    if (b.Open(kMainHallOutsideBalcony)) {
        b.Mark(kOutsideBalcony);
        if (OpenFromBack(b.Kind(kStairwayOutsideBalcony))) b.Mark(kWestWingInnerStairway);
    }
    if (OpenFromBack(b.Kind(kStairwayNorthernCorridor)) && b.Marked(kNorthernCorridor)) b.Mark(kWestWingInnerStairway);
    if (b.Open(kStairwayNorthernCorridor) && b.Marked(kWestWingInnerStairway)) b.Mark(kNorthernCorridor);

    // The stairway: through the Dining Room 2F, the Mirror Corridor, the
    // Northern Corridor or the Balcony.
    if (!b.Marked(kWestWingInnerStairway)) {
        if (!BarredFromBack(b.Kind(kStairwayDiningRoom2F)))
            b.AddAlternative(kWestWingInnerStairway, {kStairwayDiningRoom2F});
        if (!BarredFromBack(b.Kind(kStairwayMirrorCorridor)))
            b.AddAlternative(kWestWingInnerStairway, {kStairwayMirrorCorridor});
        if (OpenFromBack(b.Kind(kStairwayNorthernCorridor)))
            b.AddAlternative(kWestWingInnerStairway, {kTeaRoomNorthernCorridor});
        else if (!BarredFromBack(b.Kind(kStairwayNorthernCorridor)))
            b.AddAlternative(kWestWingInnerStairway, {kStairwayNorthernCorridor});
        if (b.Open(kStairwayOutsideBalcony))
            b.AddAlternative(kWestWingInnerStairway, {kMainHallOutsideBalcony});
        else if (b.Kind(kStairwayOutsideBalcony) != kOneWayOldKeyMix)
            b.AddAlternative(kWestWingInnerStairway, {kStairwayOutsideBalcony});
    }

    // The Northern Corridor: with the Balcony's key where the Tea Room's door
    // is not barred (as the game's rules have it), or from the stairway.
    if (!b.Marked(kNorthernCorridor)) {
        if (!BarredFromFront(b.Kind(kTeaRoomNorthernCorridor)))
            b.AddAlternative(kNorthernCorridor, {kMainHallOutsideBalcony});
        if (!BarredFromFront(b.Kind(kStairwayNorthernCorridor))) {
            if (b.Marked(kWestWingInnerStairway)) {
                b.AddAlternative(kNorthernCorridor, {kStairwayNorthernCorridor});
            } else {
                if (!BarredFromBack(b.Kind(kStairwayDiningRoom2F)))
                    b.AddAlternative(kNorthernCorridor, {kStairwayNorthernCorridor, kStairwayDiningRoom2F});
                if (!BarredFromBack(b.Kind(kStairwayMirrorCorridor)))
                    b.AddAlternative(kNorthernCorridor, {kStairwayNorthernCorridor, kStairwayMirrorCorridor});
                if (!BarredFromBack(b.Kind(kStairwayOutsideBalcony))) {
                    if (b.Marked(kOutsideBalcony))
                        b.AddAlternative(kNorthernCorridor, {kStairwayOutsideBalcony, kStairwayNorthernCorridor});
                    else if (!BarredFromFront(b.Kind(kMainHallOutsideBalcony)))
                        b.AddAlternative(kNorthernCorridor,
                                         {kStairwayOutsideBalcony, kStairwayNorthernCorridor, kMainHallOutsideBalcony});
                }
            }
        }
    }

    // The Balcony needs the dog whistle whatever the locks; then through the
    // Main Hall, or from the stairway.
    b.RequireItems(kOutsideBalcony, {kDogWhistle});
    if (!b.Marked(kOutsideBalcony)) {
        if (!BarredFromFront(b.Kind(kMainHallOutsideBalcony)))
            b.AddAlternative(kOutsideBalcony, {kMainHallOutsideBalcony});
        if (!BarredFromBack(b.Kind(kStairwayOutsideBalcony))) {
            if (b.Marked(kWestWingInnerStairway)) {
                b.AddAlternative(kOutsideBalcony, {kStairwayOutsideBalcony});
            } else {
                if (!BarredFromBack(b.Kind(kStairwayDiningRoom2F)))
                    b.AddAlternative(kOutsideBalcony, {kStairwayOutsideBalcony, kStairwayDiningRoom2F});
                if (!BarredFromBack(b.Kind(kStairwayMirrorCorridor)))
                    b.AddAlternative(kOutsideBalcony, {kStairwayOutsideBalcony, kStairwayMirrorCorridor});
                if (!BarredFromBack(b.Kind(kStairwayNorthernCorridor))) {
                    if (b.Marked(kNorthernCorridor))
                        b.AddAlternative(kOutsideBalcony, {kStairwayOutsideBalcony, kStairwayNorthernCorridor});
                    else if (!BarredFromFront(b.Kind(kTeaRoomNorthernCorridor)))
                        b.AddAlternative(kOutsideBalcony, {kStairwayOutsideBalcony, kStairwayNorthernCorridor,
                                                           kTeaRoomNorthernCorridor});
                }
            }
        }
    }

    for (const AreaBeyondLock& area : kAreasBeyondWestLocks) b.BuildAreaBeyondLock(area);
}

// The C Corridor and the east wing's storeroom are reached through the Main
// Hall's lock or the long way round, past the Dark Corridor; the areas
// beyond the C Corridor follow.
void BuildCCorridorAreas(RequirementBuilder& b)
{
    if (b.Open(kMainHallCCorridor)) {
        b.Mark(kCCorridor);
        b.Mark(kEastWingStoreroom);
    }
    if (b.Marked(kLCorridor) && b.Open(kWindingCorridorDarkCorridor)) b.Mark(kEastWingStoreroom);

    // The C Corridor: from the Main Hall, or from the east wing's stairway.
    if (!b.Marked(kCCorridor)) {
        if (!BarredFromFront(b.Kind(kMainHallCCorridor))) b.AddAlternative(kCCorridor, {kMainHallCCorridor});
        if (!BarredFromBack(b.Kind(kCCorridorEastWingStairway))) {
            std::vector<int> locks = {kCCorridorEastWingStairway};
            if (!b.Marked(kNorthernCorridor) && !BarredFromFront(b.Kind(kWindingCorridorDarkCorridor))) {
                if (b.Marked(kLCorridor))
                    locks.push_back(kWindingCorridorDarkCorridor);
                else if (!BarredFromFront(b.Kind(kArtRoomLCorridor)))
                    locks.push_back(kArtRoomLCorridor);
            }
            b.AddAlternative(kCCorridor, locks);
        }
    }

    for (const AreaBeyondLock& area : kAreasBeyondEastLocks) b.BuildAreaBeyondLock(area);
    b.Copy(kAttic, kPillarRoom);
    b.RequireKey(kAttic, kAtticEntryAttic);

    // The east wing: from the Main Hall, or past the Dark Corridor.
    if (!b.Marked(kEastWingStoreroom)) {
        if (!BarredFromFront(b.Kind(kMainHallCCorridor))) b.AddAlternative(kEastWingStoreroom, {kMainHallCCorridor});
        if (!BarredFromFront(b.Kind(kWindingCorridorDarkCorridor))) {
            if (b.Marked(kLCorridor))
                b.AddAlternative(kEastWingStoreroom, {kWindingCorridorDarkCorridor});
            else if (!BarredFromFront(b.Kind(kArtRoomLCorridor)))
                b.AddAlternative(kEastWingStoreroom, {kArtRoomLCorridor});
        }
    }
}

// What lies beyond the east wing: the Sliding Trap Room, the Kitchen and the
// concrete passages around it, the Elevator Corridor, and the Deer Room and
// Fish Tank Room up the east stairway.
void BuildAreasBeyondEastWing(RequirementBuilder& b)
{
    if (b.Open(kTeaRoomKitchen)) {
        b.Mark(kKitchen);
        if (b.Kind(kConcretePassageKitchen) == kUnlocked) {
            b.Mark(kConcretePassages);
            b.Mark(kElevatorCorridor);
        }
    }
    if (b.Marked(kEastWingStoreroom) && b.Open(kRestingRoomSlidingTrapRoom)) {
        for (int location : {kSlidingTrapRoom, kConcretePassages, kKitchen, kElevatorCorridor}) b.Mark(location);
    }

    b.Copy(kSlidingTrapRoom, kEastWingStoreroom);
    if (!b.Marked(kSlidingTrapRoom) && !b.Open(kRestingRoomSlidingTrapRoom))
        b.RequireKey(kSlidingTrapRoom, kRestingRoomSlidingTrapRoom);

    // The concrete passages: the east wing's ways with the Resting Room's
    // key, and, through an unlocked passage door, the Kitchen's lock. Marked,
    // they skip the Kitchen's lock too.
    if (!b.Marked(kConcretePassages)) {
        b.Copy(kConcretePassages, kEastWingStoreroom);
        if (!b.Open(kRestingRoomSlidingTrapRoom)) {
            for (int i = 1; i < b.ListCount(kConcretePassages); ++i)
                b.AppendKey(kRestingRoomSlidingTrapRoom, b.Entry(kConcretePassages)[i]);
        }
        if (b.Kind(kConcretePassageKitchen) == kUnlocked && !BarredFromFront(b.Kind(kRestingRoomSlidingTrapRoom))) {
            const int last = b.ListCount(kConcretePassages);
            b.AppendKey(kTeaRoomKitchen, b.Entry(kConcretePassages)[last]);
        }
    }

    if (!b.Marked(kKitchen)) b.Copy(kKitchen, kConcretePassages);

    if (!b.Marked(kElevatorCorridor)) {
        b.Copy(kElevatorCorridor, kConcretePassages);
        if (!BarredFromBack(b.Kind(kElevatorCorridorMirrorCorridor))) {
            const int last = b.ListCount(kElevatorCorridor);
            b.AppendKey(kElevatorCorridorMirrorCorridor, b.Entry(kElevatorCorridor)[last]);
        }
    }

    if (b.Marked(kEastWingStoreroom) && b.Open(kEastWingStairwayDeerRoom)) {
        b.Mark(kDeerRoom);
        if (b.Open(kDeerRoomFishTankRoom)) b.Mark(kFishTankRoom);
    }
    if (!b.Marked(kDeerRoom)) {
        b.Copy(kDeerRoom, kEastWingStoreroom);
        b.RequireKey(kDeerRoom, kEastWingStairwayDeerRoom);
    }
    if (!b.Marked(kFishTankRoom)) {
        b.Copy(kFishTankRoom, kDeerRoom);
        b.RequireKey(kFishTankRoom, kDeerRoomFishTankRoom);
    }
}

// Areas behind fixed puzzles: their items, and the keys of their locks.
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
    // Nothing copies the fireplace's entry, so this may follow the table.
    if (b.IsJill()) b.RequireItems(kLighterArea, {kLighter});
}

// The storeroom shelf lies beyond both the Outside Balcony and the east
// wing, so every way to the Balcony pairs with every way into the east wing.
void BuildEastWingStoreroomShelf(RequirementBuilder& b)
{
    if (b.Marked(kEastWingStoreroom)) {
        b.Copy(kEastWingStoreroomShelf, kOutsideBalcony);
        return;
    }
    const int balconyLists = b.ListCount(kOutsideBalcony);
    if (balconyLists == 1) {
        b.Copy(kEastWingStoreroomShelf, kEastWingStoreroom);
    } else {
        const int balconyWays = balconyLists - 1;
        const int eastWingWays = b.ListCount(kEastWingStoreroom);
        RequirementLists& entry = b.Entry(kEastWingStoreroomShelf);
        for (int j = 1; j <= eastWingWays; ++j) {
            for (int i = 1; i <= balconyWays; ++i) entry[(j - 1) * balconyWays + i] = b.Entry(kOutsideBalcony)[i];
        }
        // c / balconyLists + 1 is the block number only for the two blocks
        // that the east wing can have.
        for (int c = 1; c <= b.ListCount(kEastWingStoreroomShelf); ++c) {
            const std::vector<int>& eastWingWay = b.Entry(kEastWingStoreroom)[c / balconyLists + 1];
            entry[c].insert(entry[c].end(), eastWingWay.begin(), eastWingWay.end());
        }
    }
    b.RequireItems(kEastWingStoreroomShelf, {kDogWhistle});
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
    BuildAreasBeyondEastWing(builder);
    BuildGatedAreas(builder);
    BuildEastWingStoreroomShelf(builder);
}

} // namespace tarvenna

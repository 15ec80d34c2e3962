// Item slot data: names and location keys of the 180 slots, per character and
// difficulty, the forbidden locations and the requirement table without locks.
// Tables only; item_slot_table.cpp assembles them.
#include "items/item_slot_data.h"

namespace tarvenna {

const std::array<ItemRow, kSlotCount> kItemRows = {{
    {"Lighter", 7, 121}, // 0
    {"Ink Ribbon", 2, 69}, // 1
    {"Blue Gemstone", 2, 69}, // 2
    {"Shield Key", 3, 70}, // 3
    {"Handgun Magazine", 2, 69}, // 4
    {"Green Herb (Left)", 2, 69}, // 5
    {"Green Herb (Right)", 2, 69}, // 6
    {"Battery Pack", 9, 79}, // 7
    {"Handgun Magazine", 9, 83}, // 8
    {"Battery Pack", 9, 83}, // 9
    {"Battery Pack", 11, 77}, // 10
    {"Broken Shotgun", 11, 77}, // 11
    {"Ink Ribbon", 11, 77}, // 12
    {"Shotgun Shells", 15, 80}, // 13
    {"MO Disk", 16, 81}, // 14
    {"Missing Music", 4, 75}, // 15
    {"Mask w/out Eyes", 14, 82}, // 16
    {"Shotgun Shells", 2, 69}, // 17
    {"Mask w/out Mouth", 9, 90}, // 18
    {"Dagger", 2, 69}, // 19
    {"Dagger", 7, 119}, // 20
    {"Handgun Magazine", 7, 119}, // 21
    {"Ink Ribbon", 8, 74}, // 22
    {"Dagger", 8, 74}, // 23
    {"Jewelry Box with Emblem Key", 8, 74}, // 24
    {"Green Herb", 8, 74}, // 25
    {"Dagger", 37, 116}, // 26
    {"Ink Ribbon", 37, 116}, // 27
    {"Herbicide", 11, 88}, // 28
    {"Green Herb (Right)", 11, 88}, // 29
    {"Green Herb (Left)", 11, 88}, // 30
    {"Red Herb", 11, 88}, // 31
    {"Dagger", 7, 119}, // 32
    {"Shotgun Shells", 18, 89}, // 33
    {"Metal Object", 18, 89}, // 34
    {"Battery Pack", 18, 89}, // 35
    {"Fuel Canteen", 7, 87}, // 36
    {"Grenade Launcher", 4, 85}, // 37
    {"First Aid Spray", 9, 117}, // 38
    {"Handgun Magazine", 9, 117}, // 39
    {"Incendiary Shells", 9, 117}, // 40
    {"Shotgun Shells", 19, 101}, // 41
    {"Battery Pack", 19, 101}, // 42
    {"First Aid Spray", 19, 101}, // 43
    {"Battery Pack (after getting plant 42 item)", 27, 108}, // 44
    {"First Aid Spray (after getting plant 42 item)", 27, 108}, // 45
    {"Grenade Shells (after getting plant 42 item)", 27, 108}, // 46
    {"Last Book Volume 1 - Medal of Eagle", 10, 99}, // 47
    {"Dog Collar", 36, 86}, // 48
    {"Dagger", 2, 69}, // 49
    {"Green Herb", 2, 69}, // 50
    {"Golden Arrow / Arrowhead", 2, 69}, // 51
    {"Handgun Magazine", 2, 69}, // 52
    {"Green Herb (Left)", 10, 100}, // 53
    {"Green Herb (Right)", 10, 100}, // 54
    {"Red Herb", 10, 100}, // 55
    {"Shotgun Shells (Left)", 10, 100}, // 56
    {"Acid Shells", 10, 100}, // 57
    {"Battery Pack", 10, 100}, // 58
    {"Battery", 10, 100}, // 59
    {"Grenade Shells", 10, 78}, // 60
    {"Red Gemstone", 10, 78}, // 61
    {"Yellow Gemstone", 10, 78}, // 62
    {"Dagger", 10, 78}, // 63
    {"Green Herb (Right)", 8, 84}, // 64
    {"Green Herb (Left)", 8, 84}, // 65
    {"Last Book Volume 2 - Medal of Wolf", 8, 84}, // 66
    {"Dagger", 4, 85}, // 67
    {"Green Herb (Left)", 4, 85}, // 68
    {"Green Herb (Right)", 4, 85}, // 69
    {"Green Herb (Right)", 9, 94}, // 70
    {"Green Herb (Left)", 9, 94}, // 71
    {"Handgun Magazine (Cupboard)", 38, 95}, // 72
    {"Handgun Magazine (Table)", 9, 94}, // 73
    {"Music, mid-pages", 38, 95}, // 74
    {"Bottle #2", 25, 106}, // 75
    {"Bottle #3", 25, 106}, // 76
    {"Mask w/out Nose", 17, 97}, // 77
    {"Wooden Mount", 7, 121}, // 78
    {"Jewelry Box with Mask w/out All", 9, 96}, // 79
    {"Dagger", 10, 118}, // 80
    {"Green Herb", 7, 87}, // 81
    {"Dog Whistle", 7, 121}, // 82
    {"Handgun Magazine", 7, 121}, // 83
    {"First Aid Box (First Aid Spray)", 9, 91}, // 84
    {"Bottle #4", 25, 106}, // 85
    {"Ink Ribbon", 9, 91}, // 86
    {"Green Herb", 9, 91}, // 87
    {"Red Herb", 9, 91}, // 88
    {"Fishhook", 12, 92}, // 89
    {"Bee Specimen", 12, 92}, // 90
    {"Lure w/out hook", 12, 92}, // 91
    {"Wind Crest", 13, 93}, // 92
    {"Dagger", 7, 98}, // 93
    {"Bottle #1", 25, 106}, // 94
    {"Red Herb", 10, 99}, // 95
    {"Blue Herb", 10, 99}, // 96
    {"Dagger", 10, 99}, // 97
    {"Handgun Magazine", 10, 99}, // 98
    {"Shotgun Shells", 10, 99}, // 99
    {"Book of Curses / Sword Key", 5, 71}, // 100
    {"Shotgun Shells", 6, 72}, // 101
    {"Stone and Metal Object", 6, 72}, // 102
    {"Moon Crest", 20, 102}, // 103
    {"Star Crest", 20, 102}, // 104
    {"Sun Crest", 20, 102}, // 105
    {"Magnum Revolver", 21, 103}, // 106
    {"Square Crank", 19, 101}, // 107
    {"Green Herb", 19, 101}, // 108
    {"Blue Herb", 19, 101}, // 109
    {"Red Herb", 22, 104}, // 110
    {"Ink Ribbon", 29, 110}, // 111
    {"Green Herb", 30, 111}, // 112
    {"Handgun Magazine (Near Door)", 29, 110}, // 113
    {"Shaft", 29, 110}, // 114
    {"Handgun Magazine (Near Elevator)", 29, 110}, // 115
    {"Hexagon Crank", 29, 110}, // 116
    {"Shotgun Shells", 30, 111}, // 117
    {"Survival Knife", 30, 111}, // 118
    {"Blue Herb (Right)", 30, 111}, // 119
    {"Blue Herb (Left)", 30, 111}, // 120
    {"First Aid Box (First Aid Spray)", 30, 111}, // 121
    {"Cylinder", 30, 111}, // 122
    {"Broken Flamethrower", 31, 112}, // 123
    {"Green Herb", 31, 112}, // 124
    {"Red Herb", 31, 112}, // 125
    {"Magnum Rounds", 31, 112}, // 126
    {"Handgun Magazine", 31, 112}, // 127
    {"Battery Pack", 31, 112}, // 128
    {"Jewelry Box 3 / Stone Ring", 32, 112}, // 129
    {"Blue Herb", 32, 112}, // 130
    {"Green Herb", 32, 112}, // 131
    {"Blue Herb (Right)", 22, 104}, // 132
    {"Blue Herb (Middle)", 22, 104}, // 133
    {"Blue Herb (Left)", 22, 104}, // 134
    {"Ink Ribbon", 22, 104}, // 135
    {"Battery Pack", 22, 104}, // 136
    {"Self Defense Gun", 23, 105}, // 137
    {"Handgun Magazine", 23, 105}, // 138
    {"Control Room Key", 23, 105}, // 139
    {"Green Herb (Left)", 22, 104}, // 140
    {"Green Herb (Right)", 22, 104}, // 141
    {"Unprinted Book", 22, 104}, // 142
    {"First Aid Box (Green + Blue Herb)", 22, 104}, // 143
    {"Shotgun Shells", 22, 104}, // 144
    {"Key for Room 001", 22, 104}, // 145
    {"Handgun Magazine", 25, 106}, // 146
    {"Insecticide Spray", 25, 106}, // 147
    {"Key for Room 003", 26, 106}, // 148
    {"Red Herb", 25, 106}, // 149
    {"Helmet Key", 27, 108}, // 150
    {"Green Herb", 22, 105}, // 151
    {"First Aid Box (Green + Green Herb)", 28, 109}, // 152
    {"Shotgun Shells", 28, 109}, // 153
    {"Gallery Key", 28, 109}, // 154
    {"Magnum Rounds", 28, 109}, // 155
    {"Ink Ribbon", 33, 73}, // 156
    {"Green Herb (Far)", 33, 73}, // 157
    {"Green Herb (Near)", 33, 73}, // 158
    {"MO Disk", 33, 73}, // 159
    {"First Aid Spray", 33, 73}, // 160
    {"MO Disk", 33, 73}, // 161
    {"Shotgun Shells", 33, 73}, // 162
    {"Key for the Power Area", 33, 73}, // 163
    {"First Aid Box (Green + Green Herb)", 33, 73}, // 164
    {"Incendiary Shells", 33, 73}, // 165
    {"Slide Filter", 33, 73}, // 166
    {"X-Ray of CLARK", 33, 73}, // 167
    {"X-Ray of GAIL", 33, 73}, // 168
    {"Dagger", 33, 73}, // 169
    {"Magnum Rounds", 33, 73}, // 170
    {"Battery Pack", 33, 73}, // 171
    {"First Aid Box (Green Herb)", 33, 73}, // 172
    {"Battery Pack", 34, 114}, // 173
    {"Shotgun Shells", 34, 114}, // 174
    {"Ink Ribbon", 34, 115}, // 175
    {"First Aid Spray", 34, 115}, // 176
    {"Grenade Shells", 34, 115}, // 177
    {"Fuel Supply Capsule (Empty)", 34, 115}, // 178
    {"Battery Pack", 34, 115}, // 179
}};

const std::array<NameVariant, 31> kNameVariants = {{
    {0, "Lighter", "Lighter", "Jill's Handgun", "Jill's Handgun"},
    {7, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {9, "Battery Pack", "Battery Pack", "Old Key", "Old Key"},
    {10, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {32, "Dagger", "Dagger", "Old Key", "Old Key"},
    {35, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {37, "Grenade Launcher", "Grenade Launcher", "Old Key", "Old Key"},
    {40, "Incendiary Shells", "Incendiary Shells", "Shotgun Shells", "Shotgun Shells"},
    {42, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {44, "Battery Pack (after getting plant 42 item)", "Battery Pack (after getting plant 42 item)", "Flash Grenade (after getting plant 42 item)", "Flash Grenade (after getting plant 42 item)"},
    {45, "First Aid Spray (after getting plant 42 item)", "Shotgun Shells (after getting plant 42 item)", "First Aid Spray (after getting plant 42 item)", "Shotgun Shells (after getting plant 42 item)"},
    {46, "Grenade Shells (after getting plant 42 item)", "Dagger (after getting plant 42 item)", "Shotgun Shells (after getting plant 42 item)", "Dagger (after getting plant 42 item)"},
    {57, "Acid Shells", "Magnum Rounds", "Shotgun Shells (Right)", "Magnum Rounds"},
    {58, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {60, "Grenade Shells", "Handgun Magazine", "Shotgun Shells", "Handgun Magazine"},
    {75, "Bottle #2", "Bottle #2", "Flash Grenade", "Flash Grenade"},
    {76, "Bottle #3", "Bottle #3", "Shotgun Shells", "Shotgun Shells"},
    {85, "Bottle #4", "Bottle #4", "Old Key", "Old Key"},
    {94, "Bottle #1", "Bottle #1", "Old Key", "Old Key"},
    {101, "Shotgun Shells", "Handgun Magazine", "Shotgun Shells", "Handgun Magazine"},
    {117, "Shotgun Shells", "Handgun Magazine", "Shotgun Shells", "Handgun Magazine"},
    {125, "Red Herb", "Green Herb", "Red Herb", "Green Herb"},
    {128, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {136, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {153, "Shotgun Shells", "Magnum Rounds", "Shotgun Shells", "Magnum Rounds"},
    {164, "First Aid Box (Green + Green Herb)", "First Aid Box (Green Herb)", "First Aid Box (Green + Green Herb)", "First Aid Box (Green Herb)"},
    {165, "Incendiary Shells", "Handgun Magazine", "Magnum Rounds", "Handgun Magazine"},
    {171, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {173, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
    {177, "Grenade Shells", "Incendiary Shells", "Shotgun Shells", "Shotgun Shells"},
    {179, "Battery Pack", "Battery Pack", "Flash Grenade", "Flash Grenade"},
}};

const std::array<KeyVariant, 8> kKeyVariants = {{
    {0, 7, 2, 121, 69},
    {37, 4, 7, 85, 87},
    {72, 38, 9, 95, 94},
    {74, 38, 9, 95, 94},
    {75, 25, 9, 106, 94},
    {76, 25, 17, 106, 97},
    {85, 25, 9, 106, 91},
    {94, 25, 7, 106, 98},
}};

const std::vector<ForbiddenRow> kForbiddenRows = {
    {0, {38}, {}},
    {2, {15}, {15}},
    {3, {17}, {17}},
    {9, {}, {11, 12, 36}},
    {15, {3}, {3}},
    {16, {6}, {6}},
    {18, {6}, {6}},
    {24, {18}, {18}},
    {28, {14}, {14}},
    {32, {}, {11, 12, 36}},
    {34, {33, 34}, {33, 34}},
    {37, {}, {11, 36}},
    {47, {33, 34}, {33, 34}},
    {48, {3, 4, 9, 12, 13, 14, 15, 16, 17}, {3, 4, 9, 12, 13, 14, 15, 16, 17}},
    {51, {5, 6}, {5, 6}},
    {59, {29, 30, 31, 32}, {29, 30, 31, 32}},
    {61, {18}, {18}},
    {62, {16}, {16}},
    {66, {33, 34}, {33, 34}},
    {74, {3}, {3}},
    {77, {6}, {6}},
    {79, {6}, {6}},
    {82, {36}, {36}},
    {85, {}, {11, 12, 36}},
    {89, {13}, {13}},
    {90, {13}, {13}},
    {91, {13}, {13}},
    {92, {20, 21}, {20, 21}},
    {94, {}, {11, 12, 36}},
    {100, {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 36, 37, 38}, {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 36, 37, 38}},
    {102, {33, 34}, {33, 34}},
    {103, {21}, {21}},
    {104, {21}, {21}},
    {105, {21}, {21}},
    {107, {22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}, {22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}},
    {114, {31, 32}, {31, 32}},
    {116, {30}, {30}},
    {122, {31, 32}, {31, 32}},
    {123, {32}, {32}},
    {129, {33, 34}, {33, 34}},
    {139, {28}, {28}},
    {142, {27}, {27}},
    {145, {23}, {23}},
    {147, {26}, {26}},
    {148, {27}, {27}},
    {150, {8, 10}, {8, 10}},
    {154, {25, 26, 27}, {25, 26, 27}},
    {163, {34}, {34}},
};

const std::vector<RequirementRow> kRequirementRows = {
    {3, {{48, 15, 74}}, {}},
    {4, {{48}}, {}},
    {5, {{51}}, {}},
    {6, {{51, 16, 18, 77, 79}}, {}},
    {7, {{100}}, {}},
    {8, {{150}}, {}},
    {9, {{100, 48}}, {}},
    {10, {{100, 150}}, {}},
    {11, {{100}}, {{100, 9, 32, 37, 85, 94}}},
    {12, {{100, 48}}, {{100, 48, 9, 32, 37, 85, 94}}},
    {13, {{100, 48, 89, 90, 91}}, {{100, 48, 89, 90, 91, 9, 32, 37, 85, 94}}},
    {14, {{100, 48, 28}}, {}},
    {15, {{100, 48, 2}}, {}},
    {16, {{100, 48, 62}}, {}},
    {17, {{100, 48, 3}}, {}},
    {18, {{100, 24, 61}}, {}},
    {19, {{100}, {102}, {34, 129}}, {}},
    {20, {{100, 92}, {102}, {34, 129}}, {}},
    {21, {{100, 103, 104, 105}, {102}, {34, 129}}, {}},
    {22, {{100, 107}, {102}, {34, 129}}, {}},
    {23, {{100, 107, 145}, {102}, {34, 129}}, {}},
    {25, {{100, 107, 154}, {102}, {34, 129}}, {}},
    {26, {{100, 107, 154, 147}, {102}, {34, 129}}, {}},
    {27, {{100, 107, 154, 148, 142, 48}, {102}, {34, 129}}, {}},
    {28, {{100, 107, 139}, {102}, {34, 129}}, {}},
    {29, {{100, 107, 59}, {102}, {34, 129}}, {}},
    {30, {{100, 107, 59, 116}, {102}, {34, 129}}, {}},
    {31, {{100, 107, 59, 114, 122}, {102}, {34, 129}}, {}},
    {32, {{100, 107, 59, 114, 122, 123}, {102}, {34, 129}}, {}},
    {33, {{102, 34, 129, 66, 47}}, {{102, 34, 129, 66, 47, 61, 24}}},
    {34, {{102, 34, 129, 66, 47, 163}}, {}},
    {36, {{100, 82}}, {{100, 82, 9, 32, 37, 85, 94}}},
    {37, {{100, 11}}, {}},
    {38, {{100, 48, 0}}, {}},
};

} // namespace tarvenna

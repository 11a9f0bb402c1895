#include "workbench/explorer/view/explorerows.h"

namespace {

const FwCommandRow kCommands[] = {
    fw_toggle(ID_EXPLORE_LARGE_ICONS, "Lar&ge Icons", "Display items by using large icons", "", "view-list-icons"),
    fw_toggle(ID_EXPLORE_SMALL_ICONS, "S&mall Icons", "Display items by using small icons", "", "view-list-compact"),
    fw_toggle(ID_EXPLORE_LIST, "&List", "Display items in a list", "", "view-list-text"),
    fw_toggle(ID_EXPLORE_DETAILS, "&Details", "Display information about each item in the window", "",
              "view-list-details"),
    fw_command(ID_EXPLORE_UP, "&Up One Level (Backspace)", "Up One Level (Backspace)", "", "go-up"),
};

// The View menu's explorer part comes after the windows of kind 0.
enum : int { kViewOrder = 400 };

const FwPlaceRow kPlaces[] = {
    {FwPlace::MenuView, kViewOrder, ID_NONE},
    {FwPlace::MenuView, kViewOrder + 1, ID_EXPLORE_LARGE_ICONS},
    {FwPlace::MenuView, kViewOrder + 2, ID_EXPLORE_SMALL_ICONS},
    {FwPlace::MenuView, kViewOrder + 3, ID_EXPLORE_LIST},
    {FwPlace::MenuView, kViewOrder + 4, ID_EXPLORE_DETAILS},
    {FwPlace::MenuView, kViewOrder + 5, ID_NONE},
    {FwPlace::MenuView, kViewOrder + 6, ID_EXPLORE_UP},
};

const int kBar[] = {
    ID_EXPLORE_UP, ID_NONE, ID_EXPLORE_LARGE_ICONS, ID_EXPLORE_SMALL_ICONS, ID_EXPLORE_LIST, ID_EXPLORE_DETAILS,
};

}  // namespace

std::span<const FwCommandRow> Explore_CommandRows() { return kCommands; }
std::span<const FwPlaceRow> Explore_PlaceRows() { return kPlaces; }
std::span<const int> Explore_BarIds() { return kBar; }

#pragma once
// The copies of the local listing differ in three small points; one listing serves them all.

enum class ListingVariant {
    // The pane's own listing: letters T R H S N D C A, names in the user's locale without
    // regard to case, unknown types "EXT-Datei".
    Pane,
    // After a delete: letters T R H D S N C A, names by character code, unknown types from the
    // key's last three characters.
    AfterDelete,
    // The context menu's refresh and commands: letters without D, names by character code,
    // unknown types from the key's last three characters.
    Menu,
};

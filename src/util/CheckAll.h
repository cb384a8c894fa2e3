#pragma once

// What the check menus of the lists do to every row: tick it, untick it, or turn it around.
enum class MCheckAll { Check, Uncheck, Reverse };

// A row's tick after `mode` was applied to it.
constexpr bool CheckedAfter(MCheckAll mode, bool checked)
{
    return mode == MCheckAll::Reverse ? !checked : mode == MCheckAll::Check;
}

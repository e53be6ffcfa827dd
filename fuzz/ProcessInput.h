#pragma once

#include <string>
#include <string_view>

#include "engine/Choices.h"

namespace pf::fuzz {

// One input of the Process fuzzer: a patch-group file, a catalogue and the window's choices.
//
//   <document bytes> "\n==catalogue==\n" <catalogue bytes> "\n==choices==\n" <choice lines>
//
// Choice lines (anything else is ignored):
//   model <text>                        the device model code, the rest of the line
//   set <id> <ticked> <number> <text>   setting pair id (taken modulo 48): box ticked when
//                                       <ticked> is 1, the spin number (any int, wrapped), the
//                                       drop-down text (the rest of the line, may be empty)
//   type <list> <ticked> <text>         an entry of check list <list> (modulo 4: amp, B3 amp,
//                                       drive, reverb); <text> as the list shows it, leading
//                                       blank included
//   rule <id> <form> <amount> <low> <high>
//                                       setting <id>'s rule: form modulo 4 (set, add, scale,
//                                       limit), its number and range (any ints, wrapped)
//   when <id> <low> <high>              its condition range
//   whenitem <id> <text>                an item its condition names (the rest of the line)
//   patches <section> <pattern>         a pattern of setting section <section> (modulo 6)
struct ProcessInput {
    std::string document;
    std::string catalogue;
    Choices choices;
};

inline constexpr std::string_view kCatalogueMark = "\n==catalogue==\n";
inline constexpr std::string_view kChoicesMark = "\n==choices==\n";

ProcessInput decodeProcessInput(std::string_view bytes);

}  // namespace pf::fuzz

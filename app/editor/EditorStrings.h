#pragma once
// Ids of the language-pack texts the editor uses, and the lookup.
#include "platform/LangPack.h"

namespace editor {

// Kind names of new nodes (followed by a number).
inline constexpr unsigned kStrKindGlobalScene = 41000;
inline constexpr unsigned kStrKindScene = 41001;
inline constexpr unsigned kStrKindScreen = 41012;
inline constexpr unsigned kStrDeleteCaption = 48171;
inline constexpr unsigned kStrDeleteQuestion = 48172;   // %1 the node's name
inline constexpr unsigned kStrSectionLimit = 48216;     // %1 limit, %2 total, %3 global, %4 scene
// %1 the number of section windows, %2 the sections left without one.
inline constexpr unsigned kStrNoSectionWindow = 48226;

inline QString editorString(unsigned id)
{
    return platform::langString(id);
}

} // namespace editor

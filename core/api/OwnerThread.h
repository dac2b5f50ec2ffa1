#pragma once
// The one check that a write of the tree runs on the thread that owns it
// (the interface thread: the one that made the core, or took it over with
// SorvaneSetOwnerThread). The core's node writers and the program's write road
// make it. On in debug and sanitizer builds, where a write from another
// thread ends the program naming the writer; compiled out of release builds.
#include "core/api/Export.h"

class CCore;
struct tagItemData;

// The calling thread owns the core's tree from now on.
SORVANE_API void SorvaneSetOwnerThread(const CCore& core);
// Ends the program, naming `writer`, when the calling thread does not own
// `core`, or the live core whose tree holds `node` (a node of no live
// core's tree, such as one being built, is anyone's).
SORVANE_API void SorvaneAssertOwnerThread(const CCore* core, const tagItemData* node, const char* writer);

#if !defined(NDEBUG) || defined(TAVRELO_THREAD_CHECKS)
#define SORVANE_THREAD_CHECKS 1
// `core`: the CCore whose tree is written.
#define SORVANE_ASSERT_OWNER(core) ::SorvaneAssertOwnerThread(&(core), nullptr, __func__)
// `node`: a node of the tree written; its core is found by its root.
#define SORVANE_ASSERT_NODE_OWNER(node) ::SorvaneAssertOwnerThread(nullptr, (node), __func__)
#else
#define SORVANE_THREAD_CHECKS 0
#define SORVANE_ASSERT_OWNER(core) static_cast<void>(0)
#define SORVANE_ASSERT_NODE_OWNER(node) static_cast<void>(0)
#endif

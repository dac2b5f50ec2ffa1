#pragma once
// Navigation and structural operations on the content tree. CCore's tree
// exports wrap these; the compiler and the commands use them directly.
#include "core/model/ItemData.h"

#include <functional>

namespace sorvane::model {

// The node's screen, scene, section or item, climbing by parent links or
// descending to first children according to the node's level; null where a
// step finds nothing, and for null nodes and headers.
tagItemData* GetScreenOf(const tagItemData* node);
tagItemData* GetSceneOf(const tagItemData* node);
tagItemData* GetSectionOf(const tagItemData* node);
tagItemData* GetItemOf(const tagItemData* node);
// The first child of the node's screen.
tagItemData* GetFirstSceneOf(const tagItemData* node);
// The global scene of the node's screen, when its first child is one.
tagItemData* GetGlobalSceneOf(const tagItemData* node);
bool IsGlobalSceneNode(const tagItemData* node);

std::uint16_t CountChildren(const tagItemData* node);
// Sections: their items; screens and scenes: the children whose own count
// is not 0; all else 0.
std::uint16_t CountValidChildren(const tagItemData* node);

// Calls the routine for the node, then for each child subtree, first to last.
void ForEachNode(tagItemData* node, const std::function<void(tagItemData*)>& routine);

// True when the node is `root` or lies in its subtree.
bool IsInSubtree(const tagItemData* node, const tagItemData* root);

// Takes the node out of its sibling list (and its parent's first-child link).
void UnlinkNode(tagItemData* node);

// A copy of the source node (not its children) behind "after" or at the head
// of the parent's children, named "<name>_copy"; it owns its own frame,
// elements, type record and texts. Null for a null source or parent, or a header.
tagItemData* CopyNode(tagItemData* parent, const tagItemData* source, tagItemData* after);
// The source with its whole subtree, children in the same order. Null also
// when the parent lies inside the source's subtree.
tagItemData* CopyBranchRecursive(const tagItemData* source, tagItemData* parent, tagItemData* after);
// Gives the target frame the source's header values and a copy of each
// element, in order; the target is a new frame without elements.
void CopyFrame(const DynFrame* source, DynFrame* target);
// Moves the node behind "after" or to the head of the parent's children; a
// section is then fitted into its new scene. False (nothing moved) for a
// null node or parent, "after" being the node itself or not a child of the
// parent, or a parent inside the node's own subtree.
bool MoveNode(tagItemData* node, tagItemData* after, tagItemData* parent);

} // namespace sorvane::model

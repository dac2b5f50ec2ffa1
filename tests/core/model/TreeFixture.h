#pragma once
// A small tree for the node tests: header > screen > scene > section.
#include "core/model/ItemData.h"
#include "support/TreeBuilder.h"
#include <gtest/gtest.h>

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = tree.screen();
        scene = tree.scene(screen);
        section = tree.section(scene);
        ASSERT_TRUE(screen && scene && section);
    }

    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
};

inline std::vector<tagItemData*> childrenOf(const tagItemData* node)
{
    std::vector<tagItemData*> out;
    const tagItemData* prev = nullptr;
    for (tagItemData* c = node->FirstChild; c; c = c->NextSibling) {
        EXPECT_EQ(c->PrevSibling, prev);
        out.push_back(c);
        prev = c;
    }
    return out;
}

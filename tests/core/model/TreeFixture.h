#pragma once
// A small tree for the node tests: header > screen > scene > section.
#include "core/model/ItemData.h"
#include <gtest/gtest.h>

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        header = CreateHeaderNode();
        screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        scene = CreateNode(nullptr, IT_SCENE, u"scene", screen);
        section = CreateNode(nullptr, IT_WND_TEXT, u"section", scene);
        ASSERT_TRUE(screen && scene && section);
    }
    void TearDown() override { DestroyNode(header); }

    tagItemData* header = nullptr;
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

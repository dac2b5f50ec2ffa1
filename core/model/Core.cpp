#include "core/api/Core.h"
#include "core/api/OwnerThread.h"
#include "core/model/CoreState.h"
#include "core/model/Geometry.h"
#include "core/model/ItemData.h"
#include "platform/Languages.h"

using namespace sorvane::model;

CCore::CCore()
{
    InstallPainters();
    corestate::setCurrent(this);
    m_root = CreateHeaderNode();
    m_commCallBack = nullptr;
    m_fileCallBack = nullptr;
    m_curLang = platform::startLanguage().id;
    m_singleScreen = 1;
    m_serialEnabled = 1;
    m_lanEnabled = 0;
    m_wanEnabled = 0;
    CreateLists();
    corestate::acquireCancelEvent();
}

CCore::~CCore()
{
    DestroyNode(m_root);
    DestroyLists();
    corestate::releaseCancelEvent();
    corestate::forget(this);
}

CCore& CCore::operator=(const CCore& other)
{
    if (this == &other)
        return *this;
    m_commCallBack = other.m_commCallBack;
    m_fileCallBack = other.m_fileCallBack;
    m_curLang = other.m_curLang;
    m_singleScreen = other.m_singleScreen;
    m_serialEnabled = other.m_serialEnabled;
    m_lanEnabled = other.m_lanEnabled;
    m_wanEnabled = other.m_wanEnabled;
    CopyLists(other);
    return *this;
}

CoreCallBack CCore::SetCommCallBack(CoreCallBack cb)
{
    CoreCallBack prev = m_commCallBack;
    m_commCallBack = cb;
    return prev;
}

CoreCallBack CCore::SetFileCallBack(CoreCallBack cb)
{
    CoreCallBack prev = m_fileCallBack;
    m_fileCallBack = cb;
    return prev;
}

int CCore::Paint(tagItemData* node)
{
    // Painting stores what it measured into the node.
    SORVANE_ASSERT_NODE_OWNER(node);
    return PaintNode(node);
}

tagItemData* CCore::CreateItemHeader()
{
    return CreateHeaderNode();
}

DynFrameElement* CCore::AddFrameElement(unsigned short type, const char16_t* name, DynFrame* frame,
                                        DynFrameElement* after)
{
    SORVANE_ASSERT_OWNER(*this);
    return CreateFrameElement(type, name, frame, after);
}

int CCore::DeleteFrameElement(DynFrame* frame, DynFrameElement* element)
{
    SORVANE_ASSERT_OWNER(*this);
    return RemoveFrameElement(frame, element);
}

int CCore::ModifyFrameElmentPos(DynFrameElement* element, DynFrame* frame, DynFrameElement* after)
{
    SORVANE_ASSERT_OWNER(*this);
    return MoveFrameElement(element, frame, after);
}

int CCore::GetFrameWidth(const tagItemData* node)
{
    return GetOwnFrameWidth(node);
}

int CCore::HasMotiveBorder(const tagItemData* node) const
{
    DynFrame** slot = FrameSlotOf(const_cast<tagItemData*>(node));
    if (!slot || !*slot || (*slot)->Width == 0)
        return 0;
    const DynFrameElement* first = (*slot)->First;
    if (!first)
        return 0;
    return first->Next || first->Motion != 0 ? 1 : 0;
}

int CCore::SetCommMode(tagItemData* screen, unsigned mode)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    const auto previous = static_cast<int>(screen->Global.CommType);
    screen->Global.CommType = mode;
    NoteWritten(screen);
    return previous;
}

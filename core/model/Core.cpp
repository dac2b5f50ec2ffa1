#include "core/model/Core.h"

CCore::CCore()
{
    CreateLists();
}

CCore::~CCore()
{
    DestroyLists();
}

CCore& CCore::operator=(const CCore& other)
{
    if (this != &other) {
        m_commCallBack = other.m_commCallBack;
        m_fileCallBack = other.m_fileCallBack;
        m_curLang = other.m_curLang;
    }
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

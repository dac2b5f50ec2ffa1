#include "core/model/Core.h"

void CCore::CreateLists()
{
    m_ports.Add(8080);
    m_screenScope.Add(1);
}

void CCore::DestroyLists()
{
}

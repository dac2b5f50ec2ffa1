#pragma once
// CCore: the one facade object of the core library.
#include "core/model/Export.h"

#include <QString>
#include <cstdint>

struct tagItemData;

// Progress callback: value carries numbers or pointers, so it is pointer-wide.
using CoreCallBack = void (*)(unsigned cmd, unsigned event, std::uintptr_t value);

class SORVANE_API CCore {
public:
    CCore();
    ~CCore();
    CCore(const CCore&) = delete;
    CCore& operator=(const CCore& other);

    int IsSingleScreen() const { return m_singleScreen; }
    int IsSerialPortEnabled() const { return m_serialEnabled; }
    int IsLanEnabled() const { return m_lanEnabled; }
    int IsWanEnabled() const { return m_wanEnabled; }
    int GetCurLang() const { return m_curLang; }
    void SetCurLang(int lang) { m_curLang = lang; }
    CoreCallBack SetCommCallBack(CoreCallBack cb);
    CoreCallBack GetCommCallBack() const { return m_commCallBack; }
    CoreCallBack SetFileCallBack(CoreCallBack cb);

    // ---- tree, nodes, frames (core/model) ----

    // ---- device lists, catalogue, adapters, serial ports (core/link) ----

private:
    tagItemData* m_root = nullptr;
    CoreCallBack m_commCallBack = nullptr;
    CoreCallBack m_fileCallBack = nullptr;
    int m_curLang = 4;
    int m_singleScreen = 1;
    int m_serialEnabled = 1;
    int m_lanEnabled = 0;
    int m_wanEnabled = 0;
    // ---- list members (core/link) ----
};

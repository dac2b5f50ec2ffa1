#pragma once
// CCore: the one facade object of the core library, and all the program
// may use of it. Each section of the class names the folder that implements it.
#include "core/api/Callbacks.h"
#include "core/api/ControllerAnswer.h"
#include "core/api/Export.h"
#include "core/api/FoundControllers.h"
#include "core/api/ItemTypes.h"
#include "core/api/LinkSettings.h"
#include "core/api/Nodes.h"
#include "core/api/Records.h"
#include "core/api/TypeRecords.h"
#include "core/api/UniqueArray.h"
#include "platform/Languages.h"

#include <QRect>
#include <QString>
#include <cstdint>

class QImage;
struct FirmwarePosition;
// What the core's private members name of its link layer.
namespace sorvane::link {
struct CommSession;
}
namespace sorvane::model {
struct CoreAccess;
}

class SORVANE_API CCore {
public:
    // Discovery records of the controller search (stored byte for byte).
    struct SerialInfo {
        std::uint32_t BaudRate;
        char16_t PortName[32];
    };
    struct AdapterInfo {
        std::uint32_t AdapterIndex;
        std::uint8_t Mac[6];
        std::uint8_t Extra[2];
    };
    struct WanInfo {
        std::uint8_t Address;
        std::uint8_t Reserved[3];
        std::uint32_t Ip;   // network order
        std::uint16_t Port;
        std::uint16_t Reserved2;
    };
    static_assert(sizeof(SerialInfo) == 68 && sizeof(AdapterInfo) == 12 && sizeof(WanInfo) == 12);

    // ---- the object, its flags and callbacks (core/model/Core.cpp) ----
    CCore();
    ~CCore();
    CCore(const CCore&) = delete;
    // Copies the flags, the language, the callbacks and the contents of the
    // lists. Each object keeps its own tree: the root is never shared, so
    // neither destructor can free what the other still holds.
    CCore& operator=(const CCore& other);

    int IsSingleScreen() const { return m_singleScreen; }
    int IsSerialPortEnabled() const { return m_serialEnabled; }
    int IsLanEnabled() const { return m_lanEnabled; }
    int IsWanEnabled() const { return m_wanEnabled; }
    int GetCurLang() const { return m_curLang; }
    void SetCurLang(int lang) { m_curLang = lang; }
    // A callback runs on the thread that made the core call. A value that
    // points to a text or a record is valid only during the call: copy it
    // with DecodeCallback (core/api/Callbacks.h) before keeping or posting it.
    CoreCallBack SetCommCallBack(CoreCallBack cb);
    CoreCallBack GetCommCallBack() const { return m_commCallBack; }
    CoreCallBack SetFileCallBack(CoreCallBack cb);

    // ---- tree, nodes, frames (core/model) ----
    // Paints the node's preview picture; 1 when something was drawn.
    int Paint(tagItemData* node);
    // A new detached header node (level LEVEL_HEADER, nothing else).
    tagItemData* CreateItemHeader();
    DynFrameElement* AddFrameElement(unsigned short type, const char16_t* name, DynFrame* frame,
                                     DynFrameElement* after);
    int DeleteFrameElement(DynFrame* frame, DynFrameElement* element);
    int ModifyFrameElmentPos(DynFrameElement* element, DynFrame* frame, DynFrameElement* after);
    static int GetFrameWidth(const tagItemData* node);
    // A border element's custom picture path (its owned data, freed with the
    // element); a null or empty path clears it. 1, or 0 for a null element or
    // a path too long for the element's size word.
    static int SetFrameElementPicture(DynFrameElement* element, const char16_t* path);
    static QString GetFrameElementPicture(const DynFrameElement* element);
    int HasMotiveBorder(const tagItemData* node) const;
    // Stores a screen's link mode and returns the previous one; 0 for a null
    // node or one that is not a screen.
    int SetCommMode(tagItemData* screen, unsigned mode);

    // ---- device lists, catalogue, adapters, serial ports (core/link) ----
    using POSITION = FirmwarePosition*;

    // Heap copies of the lists, each given back through its Release method.
    CUniqueArray<QString>* GetSerialPortList() const;
    CUniqueArray<QString>* GetValidSerialPortList() const;
    CUniqueArray<QString>* GetUserSerialPortList() const;
    CUniqueArray<QString>* GetIgnoreSerialPortList() const;
    CUniqueArray<pcapdevinfo>* GetAdapterList() const;
    CUniqueArray<pcapdevinfo>* GetValidAdapterList() const;
    CUniqueArray<int>* GetIgnoreAdapterList() const;
    CUniqueArray<unsigned short>* GetPortList() const;
    CUniqueArray<unsigned short>* GetIgnorePortList() const;
    CUniqueArray<int>* GetScreenScope() const;   // sorted ascending
    static int ReleaseSerialPortList(CUniqueArray<QString>* list);
    static int ReleaseValidSerialPortList(CUniqueArray<QString>* list);
    static int ReleaseUserSerialPortList(CUniqueArray<QString>* list);
    static int ReleaseIgnoreSerialPortList(CUniqueArray<QString>* list);
    static int ReleaseAdapterList(CUniqueArray<pcapdevinfo>* list);
    static int ReleaseValidAdapterList(CUniqueArray<pcapdevinfo>* list);
    static int ReleaseIgnoreAdapterList(CUniqueArray<int>* list);
    static int ReleasePortList(CUniqueArray<unsigned short>* list);
    static int ReleaseIgnorePortList(CUniqueArray<unsigned short>* list);
    static int ReleaseScreenScope(CUniqueArray<int>* list);

    int AddUserSerialPort(const char16_t* name);
    int AddIgnoreSerialPort(const char16_t* name);
    int AddIgnoreAdapter(int index);
    int AddScreenScope(int address);
    int AddIgnorePort(unsigned short port);
    int AddPort(unsigned short port);   // 1 added, 0 already held
    int RemoveUserSerialPort(const char16_t* name);
    int RemoveIgnoreSerialPort(const char16_t* name);
    int RemoveIgnoreAdapter(int index);
    int RemoveScreenScope(int address);
    int RemoveIgnorePort(unsigned short port);
    int DelPort(unsigned short port);
    void RemoveAllUserSerialPort();
    void RemoveAllIgnoreSerialPort();
    void RemoveAllIgnoreAdapter();
    void RemoveAllIgnorePort();
    void RemoveAllScreenScope();

    QString GetSerialPortName(int n) const;
    QByteArray GetAdapterName(int index) const;

    int SetSingleScreen(int value);
    int EnableSerialPort(int value);
    int EnableLan(int value);
    int EnableWan(int value);

    void EnumSerialPortList();
    void EnumAdapterList();
    static int ConvertStrToMAC(const char16_t* text, unsigned char* out);
    static int ConvertMACToStr(const unsigned char* mac, char16_t* out);
    static int ExtractNpf(const char16_t* path);

    static int GetFirmwareCount();
    static POSITION GetFirmwareFirstPos();
    static unsigned GetNextFirmware(POSITION& pos);
    static const FirmwareInfo* GetFirmwareInfo(unsigned id);
    static unsigned GetUpgradeVersion(unsigned id);

    // ---- controller links and commands (core/link) ----
    // Stops a running transfer at its next check; returns 0.
    static int TerminateComm();
    // Requests to a screen's controller: 0 for a node that is not a screen,
    // else the bytes sent or a negative transfer result. Reads store the
    // answer in the screen only when it came.
    // Reset, clear, switch and time go over the screen's send link
    // (GetSendLink); the forms with a link go over that one, whose address
    // they carry.
    int SendReset(tagItemData* screen);
    int SendReset(tagItemData* screen, const LinkSettings& link);
    int SendClearProg(tagItemData* screen);
    int SendClearProg(tagItemData* screen, const LinkSettings& link);
    int SendSwitch(tagItemData* screen, unsigned value);
    int SendSwitch(tagItemData* screen, unsigned value, const LinkSettings& link);
    int SendAdjustTime(tagItemData* screen);   // the local time now, plus one second
    int SendAdjustTime(tagItemData* screen, const LinkSettings& link);
    int SendAdjustTime(tagItemData* screen, unsigned time);
    int SendHardwareInfo(tagItemData* screen, int address);   // address 0: the screen's
    int SendIpInfo(tagItemData* screen, int address);
    int SendWifiInfo(tagItemData* screen, int address);
    // The same writes by value, safe on a worker: the settings block and the
    // link (GetSendLink, GetOwnLink) taken by the tree's owner beforehand.
    int SendReset(const LinkSettings& link);
    int SendClearProg(const LinkSettings& link);
    int SendSwitch(unsigned value, const LinkSettings& link);
    int SendAdjustTime(const LinkSettings& link);   // the local time now, plus one second
    int SendAdjustTime(unsigned time, const LinkSettings& link);
    int SendHardwareInfo(const tagGlobalInfo& block, const LinkSettings& link);
    int SendIpInfo(const tagGlobalInfo& block, const LinkSettings& link);
    int SendWifiInfo(const tagGlobalInfo& block, const LinkSettings& link);
    int RetrieveRemoteVer(tagItemData* screen);
    int RetrieveHardwareInfo(tagItemData* screen);   // the version read first; both stored or neither
    int RetrieveIpInfo(tagItemData* screen);
    int RetrieveWifiInfo(tagItemData* screen);
    // The same reads over `link`, safe on a worker: they store nothing and
    // return what was accepted, for the tree's owner to store (StoreAnswer).
    ControllerAnswer RetrieveRemoteVer(const LinkSettings& link);
    ControllerAnswer RetrieveHardwareInfo(const LinkSettings& link);
    ControllerAnswer RetrieveIpInfo(const LinkSettings& link);
    ControllerAnswer RetrieveWifiInfo(const LinkSettings& link);
    // Writes the accepted answers into a screen's block as the reads above
    // by the screen do; an empty answer changes nothing.
    static void StoreAnswer(const ControllerAnswer& answer, tagGlobalInfo& block);
    // Sends a copy of `length` bytes with any command code.
    int SendData(tagItemData* screen, unsigned char code, const unsigned char* data, unsigned length);
    unsigned PCToRemoteTime(const SYSTEMTIME& time) const;
    SYSTEMTIME RemoteToPCTime(unsigned time) const;
    // The number a screen stores for a serial port name (the inverse of
    // GetSerialPortName for the ports listed); -1 for a name it cannot hold.
    int GetSerialPortNumber(const QString& name) const;

    // ---- controller search and firmware upgrade (core/link) ----
    // Searches every enabled kind of link; the number of controllers found.
    // Found controllers are written into the screens from `start` on
    // (`replace`), or into new screens inserted after the screen at `start`.
    unsigned RetrieveConnection(int replace, int start, int noNodes);
    // Finds the controller of one screen again and updates its link: 1 or the
    // probe's byte count when found, 0 when not, -6 when cancelled.
    int RetrieveConnection(tagItemData* screen);
    // The same searches, safe on a worker: they write no screen and return
    // what they found, for the tree's owner to store. The first takes the
    // no-nodes flag; the second the screen's own link (GetOwnLink).
    FoundControllers SearchConnections(int noNodes);
    FoundConnection SearchConnection(const LinkSettings& own);
    // Writes what a search found as RetrieveConnection does: the screens
    // from `start` on (`replace`), or new screens inserted after the screen
    // at `start`. The screens written, in order.
    std::vector<tagItemData*> StoreConnections(const FoundControllers& found, int replace, int start);
    // Writes a found link into a screen's block; a link not found changes nothing.
    static void StoreConnection(const FoundConnection& found, tagGlobalInfo& block);
    // Upgrade request (command 20) then the record stream; 0 when there is no
    // screen, the request is not taken or there is no image.
    int SendUpgrade(tagItemData* screen);
    // The whole image as one block (command 24); 0 when there is none.
    int SendUpgrade2(tagItemData* screen);
    // The same by value, safe on a worker: the screen's block (its firmware
    // image is chosen by the board) and its own link (GetOwnLink).
    int SendUpgrade(const tagGlobalInfo& block, const LinkSettings& link);
    int SendUpgrade2(const tagGlobalInfo& block, const LinkSettings& link);
    // The image to use when there is no "update.dat" beside the program
    // (the library ships none of its own); null or empty forgets it.
    static int SetFirmwareImageFile(const char16_t* path);

    // ---- work modes, pictures, painting and programs (core/render) ----
    // The four numbers of a work-mode code; unknown codes give the default row.
    static void ParseLEDWorkMode(int mode, unsigned short& colourCount, unsigned short& columnGroup,
                                 unsigned short& rowFold, unsigned short& foldOrder);
    // Scan limits of a work-mode code for the settings dialogs.
    static void ParseLEDWorkMode(int mode, unsigned short& maxScan, unsigned short& defaultScan,
                                 int& firstOption);
    // The library-wide colour threshold; the setter returns the previous value.
    static unsigned long SetColorThreshold(unsigned long threshold);
    static unsigned long GetColorThreshold();
    // Draws frame "frame" of a picture file into the rectangle in display
    // mode 0 stretched, 1 centred, 2 tiled; a file that does not load draws nothing.
    static void ReadImageToDCEx(QImage* dc, const QRect& rect, const char16_t* path, int mode, int frame);
    // Reads the frame count and delays of a GIF item's own file into its
    // record (the path argument is not consulted); other nodes are left alone.
    static int ReadGifImageFile(const char16_t* path, tagItemData* node);
    // Paints one element of a border into the band of the rectangle. A null
    // element paints the frame's default one; null colours or state are made
    // for the call (the state is the caller's animation state between frames).
    static int PaintDynFrame(QImage* dc, const QRect* rect, DynFrame* frame, void* state, DynFrameElement* element,
                             const std::uint32_t* colours);
    // The element's pattern colours for a band of `width` (period × width
    // entries, column by column): 0 and nothing made for a width of 0, a null
    // element or a period of 0. Any array the pointer holds is released
    // first; the core releases it again through ReleaseFrameElementColors.
    static int GetFrameElementColors(std::uint32_t*& colours, unsigned short width, DynFrameElement* element);
    static int ReleaseFrameElementColors(std::uint32_t*& colours);
    // Compiles the screen's programs and sends the four blocks to its
    // controller: the last block's transfer result; 1 when no scene holds an
    // item (nothing is sent); 0 for a node that is not a screen or a refused compile.
    int SendPrograms(tagItemData* screen);
    // The same over a link given by the caller (GetSendLink), in its colour order.
    int SendPrograms(tagItemData* screen, const LinkSettings& link);
    // The first item of the node's screen whose content is larger than a
    // controller can be told of (more than 65,535 LEDs across or down with
    // its section); SendPrograms and SaveAsUSBFile refuse such a screen.
    // Null when there is none.
    static tagItemData* GetOversizedItem(tagItemData* node);
    // A picture or animation item of the node's screen whose file cannot be
    // drawn (no picture, a device, a pipe, unreadable); SendPrograms and
    // SaveAsUSBFile refuse such a screen. Null when there is none.
    static tagItemData* GetUndrawableItem(tagItemData* node);
    // Writes the node's screen's programs and its hardware block to a
    // USB-stick file: 0 when both were written, else 1.
    int SaveAsUSBFile(tagItemData* node, const char16_t* path);
    // Writes the blocks the flags name (0x01 programs, 0x02 hardware, 0x04
    // clock "value", 0x08 reset, 0x10 clear, 0x20 firmware) in that order:
    // the OR of the writer's results, 0 when all were written.
    int SaveAsUSBFile(tagItemData* node, const char16_t* path, unsigned flags, unsigned value);
    // Drops what the core keeps of the screen's compiles for later sends, so
    // a bulk send gives its memory back as each screen's send ends.
    static void ForgetCompiled(const tagItemData* screen);
    // ---- end of core/render block ----

protected:
    // ---- lists filled into the caller's array (core/link) ----
    // Fill a list the caller owns (given untyped); 1, or 0 for null.
    int GetSerialPortList(void* list) const;
    int GetValidSerialPortList(void* list) const;
    int GetUserSerialPortList(void* list) const;
    int GetIgnoreSerialPortList(void* list) const;
    int GetAdapterList(void* list) const;
    int GetValidAdapterList(void* list) const;
    int GetIgnoreAdapterList(void* list) const;
    int GetPortList(void* list) const;
    int GetIgnorePortList(void* list) const;
    int GetValidPortList(void* list) const;
    int GetScreenScope(void* list) const;   // in the order added
    // Binds a transport session to the link (core/link).
    SORVANE_LOCAL void SetCommInterface(const LinkSettings& link, sorvane::link::CommSession* session);

public:
    // ---- screen settings and links (core/model/HardwareInfo.cpp) ----
    // The link part of a screen as six words; a request takes its link as a
    // LinkSettings value (GetSendLink), which also carries the host.
    struct CommInfo {
        std::uint32_t Address;        // controller address (low byte)
        std::uint32_t SwapRedGreen;   // low byte
        std::uint32_t Mode;           // CommMode
        std::uint32_t Port;           // serial port number, or adapter index
        std::uint32_t BaudOrMac;      // serial: baud rate; raw Ethernet: MAC bytes 0-3
        std::uint32_t MacHigh;        // raw Ethernet: MAC bytes 4-7
    };
    static_assert(sizeof(CommInfo) == 24);
    static int GlobalInfoToHardwareInfo(const tagGlobalInfo* global, _tagHardwareInfo* hardware);
    static int HardwareInfoToGlobalInfo(const _tagHardwareInfo* hardware, tagGlobalInfo* global);
    int GetCommInfo(tagItemData* screen, CommInfo* info);
    int SetCommInfo(tagItemData* screen, const CommInfo* info);
    // The screen whose link a screen sends through: itself, another screen
    // still under the root, or null for every controller.
    tagItemData* GetSecondaryScreen(tagItemData* screen);
    int GetSecondaryCommInfo(tagItemData* screen, CommInfo* info);
    // The screen's own link and address (the settings reads and writes go over).
    static LinkSettings GetOwnLink(const tagItemData* screen);
    // The same to `address` when it is not 0 (the settings writes' link).
    static LinkSettings GetOwnLinkTo(const tagItemData* screen, int address);
    // The link the screen's sends take: the link, address and colour order
    // of the screen it sends through, or every controller (address 255, raw
    // Ethernet to every MAC) on its own link. The second form as if it sent
    // through `linkScreen` (null: itself; TARGET_SCREEN_NONE: every
    // controller). The defaults for a node that is not a screen.
    LinkSettings GetSendLink(tagItemData* screen);
    LinkSettings GetSendLink(tagItemData* screen, tagItemData* linkScreen);
    // Returns the previous flag; 0 for a node that is not a screen.
    int SetSwapRedGreen(tagItemData* screen, int value);

    // ---- tree operations (core/model/Tree.cpp) ----
    // A screen without parent goes under the core's root.
    tagItemData* AddItem(unsigned short type, const char16_t* name, tagItemData* parent, tagItemData* after);
    // Unlinks and frees the node with its subtree and clears the pointer; 0 for null.
    int DeleteItem(tagItemData*& node);
    void ClearPrograms(tagItemData* node);
    tagItemData* CopyItem(tagItemData* source, tagItemData* parent, tagItemData* after);
    tagItemData* CopyBranch(tagItemData* source, tagItemData* parent, tagItemData* after);
    int ModifyItemPos(tagItemData* node, tagItemData* parent, tagItemData* after);
    int ChangeItemName(tagItemData* node, const char16_t* name);
    tagItemData* GetScreen(unsigned n);
    static unsigned short GetChildNum(tagItemData* node);
    unsigned short GetValidChildNum(tagItemData* node);
    static tagItemData* GetCurRoot(tagItemData* node);
    static tagItemData* GetCurScene(tagItemData* node);
    static tagItemData* GetCurSection(tagItemData* node);
    static tagItemData* GetCurProgram(tagItemData* node);
    static tagItemData* GetGlobalScene(tagItemData* node);
    static int IsRoot(tagItemData* node);       // -1 for null
    // Counts a write to the node in its screen's Revision. The core's own
    // writes count themselves; a field written by hand is told through this
    // (the program's write road does).
    static void NoteWritten(tagItemData* node);
    static int IsSection(tagItemData* node);
    static int IsProgram(tagItemData* node);
    static int IsGlobalScene(tagItemData* node);

    // ---- geometry and overlap (core/model/Geometry.cpp) ----
    int GetRect(tagItemData* node, RECT* rect);
    int GetClientRect(tagItemData* node, RECT* rect);
    int ChangeItemRect(tagItemData* node, int x, int y, int w, int h);
    int SetItemFrame(tagItemData* node, int width);
    void checkOverlap(tagItemData* screen, _tableOverlap*& table);

    // ---- program-list store and files (core/model/ProgramList.cpp) ----
    unsigned GetStoreSize(tagItemData* node);
    // Fills `size` bytes (never more) with the image of the node's subtree; returns 0.
    unsigned Store(tagItemData* node, unsigned char* buffer, unsigned size);
    // 0 saved; 1 the file could not be written (the old file stays as it was).
    // A file that already holds the image byte for byte is not written again.
    int SavePL(tagItemData* screen, const char16_t* path);
    // 0 loaded; 1 not opened, 2 not a program list, 3 newer version, 4 truncated.
    // A refused file leaves the screen as it was.
    int LoadPL(tagItemData* screen, const char16_t* path);

private:
    // Screens that sent through a removed screen fall back to their own link.
    SORVANE_LOCAL void ForgetTargets(const tagItemData* removed);
    tagItemData* m_root = nullptr;
    CoreCallBack m_commCallBack = nullptr;
    CoreCallBack m_fileCallBack = nullptr;
    int m_curLang = platform::kLangSimplifiedChinese;   // startLanguage()'s, until the program sets one
    int m_singleScreen = 1;
    int m_serialEnabled = 1;
    int m_lanEnabled = 0;
    int m_wanEnabled = 0;
    // ---- painting (core/render/PaintDispatch.cpp) ----
    // Gives the model its painters (the model does not know them).
    SORVANE_LOCAL static void InstallPainters();
    // ---- requests (core/link) ----
    // One block over the link, to the link's address, in the session given
    // (which goes on from an earlier block of the same request).
    SORVANE_LOCAL int Request(const LinkSettings& link, std::uint8_t command, const std::uint8_t* data,
                              std::uint32_t length, std::uint32_t flags, sorvane::link::CommSession& session);
    // A request session to the link's address, with the communication
    // callback and the reply time-out, bound to the link.
    SORVANE_LOCAL void OpenSession(const LinkSettings& link, sorvane::link::CommSession& session);
    // The same in a session of its own.
    SORVANE_LOCAL int RequestOver(const LinkSettings& link, std::uint8_t command, const std::uint8_t* data,
                                  std::uint32_t length, std::uint32_t flags);
    // The screen whose link a screen sends through when its link screen is `target`.
    SORVANE_LOCAL tagItemData* LinkScreenOf(tagItemData* screen, tagItemData* target) const;
    // The core's own layers and its tests reach the lists and the root here.
    friend struct sorvane::model::CoreAccess;
    // ---- list members (core/link) ----
    SORVANE_LOCAL void CreateLists();   // fills the enumerated ports and adapters
    SORVANE_LOCAL void DestroyLists();
    SORVANE_LOCAL void CopyLists(const CCore& other);   // deep copy, for assignment
    CUniqueArray<QString> m_serialPorts;
    CUniqueArray<unsigned short> m_ports;
    CUniqueArray<WanInfo> m_wanRecords;
    CUniqueArray<unsigned short> m_ignorePorts;
    CUniqueArray<QString> m_userSerialPorts;
    CUniqueArray<pcapdevinfo>* m_adapters = nullptr;   // owned; record defined in core/link
    CUniqueArray<SerialInfo> m_serialRecords;
    CUniqueArray<AdapterInfo> m_adapterRecords;
    CUniqueArray<QString> m_ignoreSerialPorts;
    CUniqueArray<int> m_ignoreAdapters;
    CUniqueArray<int> m_screenScope;
};

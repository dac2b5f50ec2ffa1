// Every field of the settings limits through every road a setting comes in
// by: a current program-list file, the settings text of a version-2 file and
// a controller's hardware answer over TCP. Each edge value is taken on all
// three, each value just past an edge refused on all three.
#include "LinkTestUtil.h"

#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/api/SettingLimits.h"
#include "core/link/Commands.h"
#include "core/model/HardwareInfo.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

using namespace sorvane::model;
using namespace sorvane::link;
using namespace linktest;

namespace {

// Where a field lies in the stored settings record and in the hardware block.
struct Place {
    std::size_t record, block, width;
};
const std::map<SettingField, Place> kPlaces = {
    {SET_ADDRESS, {4, 2, 1}},        {SET_WIDTH, {12, 8, 2}},        {SET_HEIGHT, {14, 10, 2}},
    {SET_REFRESH, {16, 12, 2}},      {SET_WORKMODE, {18, 14, 2}},    {SET_SCAN, {20, 16, 2}},
    {SET_ROWDECODE, {22, 18, 1}},    {SET_OPTIONS, {23, 19, 1}},     {SET_OPTIONS2, {24, 20, 1}},
    {SET_BRIGHTNESS, {26, 22, 2}},   {SET_SETTINGSWORD, {28, 24, 4}}, {SET_ON_HOUR, {160, 28, 1}},
    {SET_ON_MINUTE, {161, 29, 1}},   {SET_OFF_HOUR, {162, 30, 1}},   {SET_OFF_MINUTE, {163, 31, 1}},
    {SET_WEEKDAYS, {164, 32, 1}},    {SET_AUTOSWITCH, {165, 33, 1}},
};
// Fields version-2 text names.
constexpr SettingField kTextFields[] = {SET_ADDRESS,  SET_WIDTH,      SET_HEIGHT,     SET_REFRESH, SET_WORKMODE,
                                        SET_SCAN,     SET_ROWDECODE,  SET_BRIGHTNESS, SET_ON_HOUR, SET_ON_MINUTE,
                                        SET_OFF_HOUR, SET_OFF_MINUTE, SET_WEEKDAYS,   SET_AUTOSWITCH};
// Values inside a field's range that are still no setting.
const std::multimap<SettingField, std::int64_t> kHoles = {{SET_WORKMODE, 26}, {SET_WORKMODE, 36}, {SET_WORKMODE, 63}};

void put(std::uint8_t* at, std::size_t width, std::int64_t v)
{
    if (width == 1)
        bytes::put8(at, 0, std::uint8_t(v));
    else if (width == 2)
        bytes::put16(at, 0, std::uint16_t(v));
    else
        bytes::put32(at, 0, std::uint32_t(v));
}

// Around the value under test: mode 0 folds no rows, so every scan of the
// range fits it, and with switching on the week is kept as it is.
void baseline(std::uint8_t* at, std::size_t (Place::*which))
{
    put(at + kPlaces.at(SET_WORKMODE).*which, 2, 0);
    put(at + kPlaces.at(SET_AUTOSWITCH).*which, 1, 1);
}

std::int64_t valueOf(const tagItemData* screen, SettingField field)
{
    _tagHardwareInfo h;
    InitHardwareInfo(&h);
    CCore::GlobalInfoToHardwareInfo(&screen->Global, &h);
    return SettingValuesOf(h)[field];
}

Bytes globalImage(const tagItemData* screen)
{
    Bytes out(GLOBALINFO_SIZE);
    WriteGlobalInfo(screen->Global, out.data());
    return out;
}

// The version-2 text number that a work mode is moved up to, if any is.
std::optional<std::int64_t> legacyTypeOf(std::int64_t mode)
{
    if (mode >= 20)
        return mode - 6;
    if (mode >= 13 && mode <= 17)
        return mode - 4;
    if (mode >= 7 && mode <= 10)
        return mode - 2;
    if (mode <= 4)
        return mode;
    return std::nullopt;
}

class SettingLimits : public ::testing::Test {
protected:
    void SetUp() override
    {
        core.SetCommCallBack(&Recorder::callback);
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagGlobalInfo& g = screen->Global;
        g.CommType = COMM_NETWORK;
        std::strcpy(g.Host, "127.0.0.1");
        g.HostPort = peer.port();
    }

    // Whether each road takes the value; a road that does not leaves the screen as it was.
    bool fileTakes(SettingField field, std::int64_t v)
    {
        CCore other;
        tagItemData* empty = other.AddItem(IT_SCREEN, u"e", nullptr, nullptr);
        Bytes file(other.GetStoreSize(empty));
        other.Store(empty, file.data(), static_cast<unsigned>(file.size()));
        baseline(file.data() + PL_SETTINGS_OFFSET, &Place::record);
        put(file.data() + PL_SETTINGS_OFFSET + kPlaces.at(field).record, kPlaces.at(field).width, v);
        return loads(file, field, v);
    }

    bool textTakes(SettingField field, std::int64_t v)
    {
        std::int64_t written = v;
        if (field == SET_WORKMODE) {
            const std::optional<std::int64_t> legacy = legacyTypeOf(v);
            if (!legacy) {
                ADD_FAILURE() << "no version-2 work mode is moved up to " << v;
                return false;
            }
            written = *legacy;
        }
        // The first of two keys counts: the value under test comes first.
        std::string text = "[Config]\n" + std::string(LimitOf(field).key) + "=" + std::to_string(written) + "\n";
        text += "Type=0\nAutoS=1\n";
        Bytes file(PL_HEADER_SIZE + text.size(), 0);
        std::memcpy(file.data() + PL_HEADER_SIZE, text.data(), text.size());
        bytes::put16(file.data(), 0, PL_MAGIC);
        file[2] = 2;
        file[3] = PL_HEADER_SIZE;
        bytes::put16(file.data(), 8, ITEMDATA_SIZE);
        bytes::put32(file.data(), 12, static_cast<std::uint32_t>(PL_HEADER_SIZE + text.size()));
        bytes::put32(file.data(), 16, static_cast<std::uint32_t>(text.size()));
        bytes::put32(file.data(), 20, PL_HEADER_SIZE);
        return loads(file, field, v);
    }

    bool answerTakes(SettingField field, std::int64_t v)
    {
        Bytes answer = controller.hardware();
        baseline(answer.data(), &Place::block);
        put(answer.data() + kPlaces.at(field).block, kPlaces.at(field).width, v);
        controller.setAnswer(TOS_HWREADCFG, answer);
        const Bytes before = globalImage(screen);
        Recorder::clear();
        const int rc = core.RetrieveHardwareInfo(screen);
        if (rc >= 0) {
            EXPECT_EQ(valueOf(screen, field), v);
            return true;
        }
        EXPECT_EQ(rc, COMM_E_NO_REPLY);
        EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_ANSWER_REFUSED), std::uintptr_t(0)));
        EXPECT_EQ(globalImage(screen), before);
        return false;
    }

    bool loads(const Bytes& file, SettingField field, std::int64_t v)
    {
        const Bytes before = globalImage(screen);
        if (LoadProgramList(screen, file.data(), file.size()) == PL_OK) {
            EXPECT_EQ(valueOf(screen, field), v);
            return true;
        }
        EXPECT_EQ(globalImage(screen), before);
        return false;
    }

    platform::ScopedClockScale fast{20};
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    CCore core;
    tagItemData* screen = nullptr;
};

} // namespace

TEST_F(SettingLimits, EveryRoadInTakesTheSameValues)
{
    for (const SettingLimit& limit : kSettingLimits) {
        ASSERT_TRUE(kPlaces.count(limit.field)) << limit.key;
        const Place& place = kPlaces.at(limit.field);
        const std::int64_t fieldMost = place.width == 4 ? 0xFFFFFFFFLL : (std::int64_t(1) << (8 * place.width)) - 1;
        const bool inText = std::find(std::begin(kTextFields), std::end(kTextFields), limit.field) != std::end(kTextFields);
        std::vector<std::pair<std::int64_t, bool>> values = {{limit.least, true}, {limit.most, true}};
        if (limit.least > 0)
            values.emplace_back(std::int64_t(limit.least) - 1, false);
        if (limit.most < fieldMost)
            values.emplace_back(std::int64_t(limit.most) + 1, false);
        for (auto [it, end] = kHoles.equal_range(limit.field); it != end; ++it)
            values.emplace_back(it->second, false);
        for (const auto& [v, taken] : values) {
            SCOPED_TRACE(testing::Message() << limit.key << " = " << v);
            EXPECT_EQ(fileTakes(limit.field, v), taken) << "version-4 file";
            if (inText) {
                EXPECT_EQ(textTakes(limit.field, v), taken) << "version-2 text";
            }
            EXPECT_EQ(answerTakes(limit.field, v), taken) << "controller answer";
        }
    }
}

// Reads damaged INI files: nothing crashes, an untouched file is written back
// byte for byte, and a written key reads back after a reload.
#include "fuzz/FuzzCheck.h"
#include "platform/ProfileIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    platform::ProfileFile f;
    f.loadData(raw);
    const bool plainUtf8 = !raw.startsWith("\xFF\xFE") && QString::fromUtf8(raw).toUtf8() == raw;
    if (plainUtf8)
        FUZZ_CHECK(f.bytes() == raw, "an untouched file is written back unchanged");
    (void)f.value(QStringLiteral("Config"), QStringLiteral("Language"));
    (void)platform::ProfileTextToInt(f.value(QStringLiteral("Config"), QStringLiteral("Threshold")));
    (void)platform::SplitProfileList(f.value(QStringLiteral("File"), QStringLiteral("SavePath")));
    if (f.setValue(QStringLiteral("Config"), QStringLiteral("Fuzz"), QStringLiteral("1;2;"))) {
        platform::ProfileFile again;
        again.loadData(f.bytes());
        FUZZ_CHECK(again.value(QStringLiteral("config"), QStringLiteral("FUZZ")) == QStringLiteral("1;2;"),
                   "a written key reads back");
    }
    // Deleting keys and sections (the group file's changes) leaves no trace of them.
    const QStringList keys = f.keys(QStringLiteral("Group1"));
    if (!keys.isEmpty()) {
        f.removeKey(QStringLiteral("Group1"), keys.first());
        FUZZ_CHECK(!f.contains(QStringLiteral("Group1"), keys.first()), "a removed key is gone");
    }
    // Duplicates of a section go one per call.
    for (int guard = 0; guard <= int(size) && f.removeSection(QStringLiteral("Group2")); ++guard) {
    }
    FUZZ_CHECK(f.keys(QStringLiteral("Group2")).isEmpty(), "a removed section has no keys left");
    return 0;
}

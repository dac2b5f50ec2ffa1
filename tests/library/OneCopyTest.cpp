// The program reaches the core, the grid and the platform layer through
// libSorvane.so alone: one copy of each, so the code page the program sets
// is the one the library's text readers use.
#include "core/api/Core.h"
#include "platform/CodePage.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"

#include <QByteArray>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace {
std::string libraryOf(const void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return {};
    return info.dli_fname;
}

struct CodePageGuard {
    int saved = platform::ansiCodePage();
    ~CodePageGuard() { platform::setAnsiCodePage(saved); }
};
}

TEST(OneCopy, TheCodePageSetIsTheOneTheRtfCodeUses)
{
    CodePageGuard guard;
    CCore core;
    // The program sets the code page from the language, as at start-up.
    core.SetCurLang(4);
    platform::setAnsiCodePage(platform::codePageForLanguage(core.GetCurLang()));
    EXPECT_EQ(platform::ansiCodePage(), 936);

    // 8-bit text of a stored rich text without its own code page (GBK bytes).
    const QByteArray stored("{\\rtf1 \\'d6\\'d0}");
    QTextDocument document;
    ASSERT_EQ(platform::readRtf(stored, &document, platform::ReadOptions{}), platform::ReadResult::Ok);
    EXPECT_EQ(document.toPlainText(), QString::fromUtf16(u"中"));
    // Plain text handed to the rich-text reader.
    EXPECT_EQ(platform::decodePlainText(QByteArray("\xB9\xFA")), QString::fromUtf16(u"国"));

    platform::setAnsiCodePage(platform::codePageForLanguage(9));
    QTextDocument latin;
    ASSERT_EQ(platform::readRtf(stored, &latin, platform::ReadOptions{}), platform::ReadResult::Ok);
    EXPECT_EQ(latin.toPlainText(), QString::fromUtf16(u"\u00D6\u00D0"));

    // All of it lives in the shared library, not in this program.
    const std::string setter = libraryOf(reinterpret_cast<const void*>(&platform::setAnsiCodePage));
    const std::string page = libraryOf(reinterpret_cast<const void*>(&platform::ansiCodePage));
    const std::string constructor = libraryOf(reinterpret_cast<const void*>(&platform::codePageForLanguage));
    EXPECT_NE(setter.find("libSorvane.so"), std::string::npos) << setter;
    EXPECT_EQ(page, setter);
    EXPECT_EQ(constructor, setter);
}

TEST(OneCopy, TheLibraryExportsOnlyItsInterface)
{
    void* self = dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    // The core's internals stay inside the library.
    EXPECT_EQ(dlsym(self, "_ZN7sorvane5model10CreateNodeEP11tagItemDatatPKDsS2_"), nullptr);
    EXPECT_EQ(dlsym(self, "_ZN7sorvane5model16SecondsSince2000Eiiiiii"), nullptr);
    EXPECT_EQ(dlsym(self, "_ZN7sorvane4link15FrameCheckValueEPKhm"), nullptr);
    // Its interface is there.
    EXPECT_NE(dlsym(self, "_ZN8platform15setAnsiCodePageEi"), nullptr);
    EXPECT_NE(dlsym(self, "_ZN5CCore13TerminateCommEv"), nullptr);
    dlclose(self);

    // Nothing of the model's or the links' namespaces is in the dynamic
    // symbol table, whatever its name.
    const std::string library = libraryOf(reinterpret_cast<const void*>(&CCore::TerminateComm));
    ASSERT_NE(library.find("libSorvane.so"), std::string::npos) << library;
    FILE* pipe = popen(("nm -D -C --defined-only '" + library + "' 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string internal;
    char line[4096];
    int symbols = 0;
    while (fgets(line, sizeof line, pipe)) {
        ++symbols;
        if (std::string(line).find("sorvane::") != std::string::npos)
            internal += line;
    }
    pclose(pipe);
    ASSERT_GT(symbols, 0) << "nm listed nothing for " << library;
    EXPECT_EQ(internal, "");
}

#ifdef TAVRELO_PROGRAM
TEST(OneCopy, TheProgramHoldsNoCopyOfTheGridOrPlatform)
{
    const std::string command = std::string("nm -C --defined-only '") + TAVRELO_PROGRAM + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string all;
    char line[4096];
    int symbols = 0;
    while (fgets(line, sizeof line, pipe)) {
        ++symbols;
        const std::string text(line);
        // "address type name": inline functions of the headers come as weak
        // (W) symbols and are no copy of the library; code and data are.
        const std::size_t space = text.find(' ');
        const char type = space != std::string::npos && space + 1 < text.size() ? text[space + 1] : ' ';
        const bool code = std::string("TtDdBbRr").find(type) != std::string::npos;
        // The symbol's own name, not its parameters: a program function may
        // well take a grid or platform type.
        std::string name = space != std::string::npos && space + 3 <= text.size() ? text.substr(space + 3) : "";
        for (const char* lead : {"vtable for ", "typeinfo for ", "typeinfo name for ", "guard variable for "})
            if (name.rfind(lead, 0) == 0)
                name.erase(0, std::string(lead).size());
        const auto startsWith = [&](const char* prefix) { return name.rfind(prefix, 0) == 0; };
        // A local clone the optimiser made of a header's inline function
        // ("[clone .isra.0]") is no copy either; a real copy still shows its
        // own symbol beside its clones.
        const bool clone = name.find(" [clone .") != std::string::npos;
        if (code && !clone && (startsWith("platform::") || startsWith("grid::") || startsWith("CCore::")))
            all += text;
    }
    pclose(pipe);
    ASSERT_GT(symbols, 0) << "nm listed nothing for " << TAVRELO_PROGRAM;
    EXPECT_EQ(all, "");
}
#endif

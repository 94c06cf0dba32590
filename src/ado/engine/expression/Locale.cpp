// Snapshots of the framework's locale settings and case tables for the compiler. A snapshot is
// never changed once published, so evaluation on other threads may read it while a later
// compilation publishes a new one.
#include "ado/engine/expression/internal/LocaleView.h"
#include "ado/engine/expression/internal/Nodes.h"

#include "framework/rtl/CodePage.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace vmado::engine::internal {
namespace {

std::mutex gMutex;
std::vector<std::unique_ptr<const LocaleView>> gSnapshots; // kept for the process's life
std::atomic<const LocaleView*> gCurrent{nullptr};

LocaleView::Order OrderOf(const AnsiString& format)
{
    for (char c : format) {
        const char u = static_cast<char>(c & ~0x20);
        if (u == 'D')
            return LocaleView::Order::DMY;
        if (u == 'Y')
            return LocaleView::Order::YMD;
        if (u == 'M')
            return LocaleView::Order::MDY;
    }
    return LocaleView::Order::MDY;
}

bool SameView(const LocaleView& a, const LocaleView& b)
{
    return a.DateSeparator == b.DateSeparator && a.DecimalSeparator == b.DecimalSeparator &&
           a.DateOrder == b.DateOrder && a.TimeAMString == b.TimeAMString && a.TimePMString == b.TimePMString;
}

} // namespace

const LocaleView& CurrentLocale()
{
    const LocaleView* v = gCurrent.load(std::memory_order_acquire);
    if (v)
        return *v;
    RefreshLocale();
    return *gCurrent.load(std::memory_order_acquire);
}

void RefreshLocale()
{
    const TFormatSettings& s = FormatSettings();
    LocaleView next;
    next.DateSeparator = s.DateSeparator;
    next.DecimalSeparator = s.DecimalSeparator;
    next.DateOrder = OrderOf(s.ShortDateFormat);
    next.TimeAMString = s.TimeAMString;
    next.TimePMString = s.TimePMString;
    std::lock_guard<std::mutex> lock(gMutex);
    const LocaleView* cur = gCurrent.load(std::memory_order_acquire);
    if (cur && SameView(*cur, next))
        return;
    gSnapshots.push_back(std::make_unique<const LocaleView>(std::move(next)));
    gCurrent.store(gSnapshots.back().get(), std::memory_order_release);
}

const FoldTable& IdentityFold()
{
    static const FoldTable table = [] {
        FoldTable t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(i);
        return t;
    }();
    return table;
}

std::shared_ptr<const FoldTable> MakeUpperFold()
{
    auto t = std::make_shared<FoldTable>();
    for (int i = 0; i < 256; ++i)
        (*t)[i] = static_cast<unsigned char>(AnsiUpperChar(static_cast<char>(i)));
    return t;
}

std::shared_ptr<const FoldTable> MakeLowerFold()
{
    auto t = std::make_shared<FoldTable>();
    for (int i = 0; i < 256; ++i)
        (*t)[i] = static_cast<unsigned char>(AnsiLowerChar(static_cast<char>(i)));
    return t;
}

std::string_view FoldBeyondAscii(std::string_view s, const FoldTable& fold, std::string& scratch)
{
    if (&fold == &IdentityFold() || !IsUtf8CodePage())
        return s;
    const bool upper = fold['a'] == 'A';
    if (!upper && fold['A'] != 'a')
        return s;
    if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return s;
    scratch = upper ? AnsiUpperCase(s) : AnsiLowerCase(s);
    return scratch;
}

} // namespace vmado::engine::internal

#include "regex/grep.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "regex/fuzzy_char_table.h"

namespace zr::regex {

TGrep::TGrep()
{
    PreProcessor().FuzzyCharDics().push_back(&FuzzyCharTable());
    ChooseScan();
}

void TGrep::SetRegExp(const std::string &value)
{
    TRegularExpression::SetRegExp(value);
    ChooseScan();
}

void TGrep::ChooseScan()
{
    const std::shared_ptr<const TRE_DFA> dfa = CurrentDfa();
    grepFile_ = dfa->IsLiteral() ? &TGrep::LiteralScan : &TGrep::DfaScan;
    if (!fastScan_ || fastScanDfa_ != dfa.get()) {
        fastScan_ = std::make_shared<TFastScan>(dfa);
        fastScanDfa_ = dfa.get();
    }
}

void TGrep::GrepFile(const std::string &fileName)
{
    if (UsesFastScan())
        FastScan(fileName);
    else
        (this->*grepFile_)(fileName);
}

void TGrep::GrepBytes(const std::string &name, std::string_view bytes)
{
    bytes_ = bytes;
    try {
        GrepFile(name);
    } catch (...) {
        bytes_.reset();
        throw;
    }
    bytes_.reset();
}

void TGrep::GrepStream(const std::string &name, TByteStream &stream)
{
    stream_ = &stream;
    try {
        GrepFile(name);
    } catch (...) {
        stream_ = nullptr;
        throw;
    }
    stream_ = nullptr;
}

std::unique_ptr<TFileTextSource> TGrep::OpenSource(const std::string &fileName) const
{
    if (stream_)
        return std::make_unique<TFileTextSource>(*stream_, fileName, encodingChoice_);
    if (bytes_)
        return std::make_unique<TFileTextSource>(*bytes_, fileName, encodingChoice_);
    return std::make_unique<TFileTextSource>(fileName, encodingChoice_);
}

void TGrep::FastScan(const std::string &fileName)
{
    if (!UsesFastScan())
        throw std::logic_error("TGrep::FastScan: the pattern needs the designed scan");
    if (!onMatch_)
        return;
    const auto linkedStop = StartScan();
    // Held for the whole scan: the handler may assign a new pattern or handler.
    const TGrepOnMatch handler = onMatch_;
    const std::shared_ptr<TFastScan> scan = fastScan_;
    scan->SetWantLineText(lineTextWanted_);
    scan->SetWantLineNumbers(lineNumbersWanted_);
    lastEncoding_ = TTextEncoding::teAscii;
    const std::unique_ptr<TFileTextSource> opened = OpenSource(fileName);
    TFileTextSource &source = *opened;
    try {
        const auto stopped = [this] { return cancel_.stop_requested() || stop_.stop_requested(); };
        // No line is reported once a stop has been asked for, even mid-block:
        // the scan asks stopped() right before each report.
        scan->Scan(source, stopped, messageLoop_, [&](RE_LineInfo_t &info) {
            lastEncoding_ = source.Encoding();
            handler(*this, info);
        });
    } catch (...) {
        lastEncoding_ = source.Encoding();
        throw;
    }
    lastEncoding_ = source.Encoding();
}

void TGrep::SetUseFuzzyCharDic(bool on)
{
    PreProcessor().SetUseFuzzyCharDic(on);
    SetRegExp(RegExp());
}

void TGrep::SetUseSynonymDic(bool on)
{
    PreProcessor().SetUseSynonymDic(on);
    SetRegExp(RegExp());
}

void TGrep::SetCancel(bool cancel)
{
    if (cancel)
        cancel_.request_stop();
    else if (cancel_.stop_requested())
        cancel_ = std::stop_source();
}

std::stop_callback<std::function<void()>> TGrep::StartScan()
{
    SetCancel(false);
    return std::stop_callback<std::function<void()>>(stop_,
                                                     [source = cancel_]() mutable { source.request_stop(); });
}

std::unique_ptr<TTxtFile> TGrep::OpenReader(const std::string &fileName)
{
    lastEncoding_ = TTextEncoding::teAscii;
    std::unique_ptr<TFileTextSource> source = OpenSource(fileName);
    const TFileTextSource &detected = *source;
    try {
        auto file =
            std::make_unique<TTxtFile>(std::move(source), fileName, cancel_.get_token(), messageLoop_);
        lastEncoding_ = detected.Encoding();
        return file;
    } catch (const EEndOfFile &) {
        return nullptr;  // an empty file: nothing to report
    }
}

void TGrep::Report(TTxtFile &file, const TGrepOnMatch &handler)
{
    // The owner's stop flag is set before its callbacks run on the stopping
    // thread; look at it directly so no line is reported after the stop.
    if (stop_.stop_requested())
        cancel_.request_stop();
    RE_LineInfo_t info = file.TakeLine();
    info.Substitutes = file.Source().TakeSubstitutions(file.LineStartOffset(), info.Line.size());
    lastEncoding_ = file.Source().Encoding();
    handler(*this, info);
}

void TGrep::NoteEncoding(TTxtFile &file) { lastEncoding_ = file.Source().Encoding(); }

// Tries a match at every character of the file. The probe reads 0 once the
// text is used up; that ends the attempt, so no pattern can loop at the end.
void TGrep::DfaScan(const std::string &fileName)
{
    if (!onMatch_)
        return;
    const auto linkedStop = StartScan();
    // Held for the whole scan: the handler may assign a new pattern or handler.
    const TGrepOnMatch handler = onMatch_;
    const std::shared_ptr<const TRE_DFA> dfa = CurrentDfa();
    const int start = dfa->Start();
    const std::unique_ptr<TTxtFile> file = OpenReader(fileName);
    if (!file)
        return;
    try {
        for (;;) {
            int s = dfa->Next(start, file->NextStart());
            while (s != kNoState) {
                if (dfa->Accepting(s)) {
                    Report(*file, handler);
                    break;
                }
                const CharCode c = file->NextProbe();
                if (c == 0)
                    break;
                s = dfa->Next(s, c);
            }
        }
    } catch (const EEndOfFile &) {
        NoteEncoding(*file);
    }
}

void TGrep::LiteralScan(const std::string &fileName)
{
    const auto linkedStop = StartScan();
    const std::shared_ptr<const TRE_DFA> dfa = CurrentDfa();
    if (!onMatch_)
        return;
    const TGrepOnMatch handler = onMatch_;
    const std::string &literal = dfa->LiteralText();
    std::vector<CharCode> codes;
    for (std::size_t i = 1; i <= literal.size();)
        codes.push_back(ReadChar(literal, i));
    const std::unique_ptr<TTxtFile> file = OpenReader(fileName);
    if (!file || codes.empty())
        return;  // the empty pattern reports nothing
    try {
        for (;;) {
            CharCode c = file->NextStart();
            for (std::size_t i = 0; c == codes[i]; ++i) {
                if (i + 1 == codes.size()) {
                    Report(*file, handler);
                    break;
                }
                c = file->NextProbe();
            }
        }
    } catch (const EEndOfFile &) {
        NoteEncoding(*file);
    }
}

}  // namespace zr::regex

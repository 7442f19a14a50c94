#pragma once
// Searches one text file for the current pattern and reports every line that
// holds a match, once per line, through OnMatch.

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "regex/fast_scan.h"
#include "regex/regular_expression.h"
#include "regex/text_encoding.h"
#include "regex/txt_file.h"
#include "regex/txt_file_errors.h"
#include "regex/txt_file_line_info.h"

namespace zr::regex {

class TGrep;
using TGrepOnMatch = std::function<void(TGrep &sender, RE_LineInfo_t &lineInfo)>;

class TGrep : public TRegularExpression {
public:
    TGrep();

    void SetRegExp(const std::string &value) override;

    // The preprocessor's passes; changing one expands RegExp() again.
    bool UseFuzzyCharDic() const { return PreProcessor().UseFuzzyCharDic(); }
    void SetUseFuzzyCharDic(bool on);
    bool UseSynonymDic() const { return PreProcessor().UseSynonymDic(); }
    void SetUseSynonymDic(bool on);

    const TGrepOnMatch &OnMatch() const { return onMatch_; }
    void SetOnMatch(TGrepOnMatch handler) { onMatch_ = std::move(handler); }

    // Set by the owner (from the message loop hook or another thread) to stop
    // a scan with EGrepCancel; every scan clears it when it starts.
    bool Cancel() const { return cancel_.stop_requested(); }
    void SetCancel(bool cancel);

    // A stop token that cancels every scan while it is requested, from any
    // thread; unlike Cancel it is not cleared when a scan starts.
    void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }

    // Off: the fast scan reports line numbers with an empty Line (for counting).
    void SetLineTextWanted(bool on) { lineTextWanted_ = on; }
    // Off: the fast scan reports line number 0 (a count needs no numbers).
    void SetLineNumbersWanted(bool on) { lineNumbersWanted_ = on; }

    // How files are read: each detected on its own (the default) or all in
    // one encoding. A file not in CP932 is converted to it as it is read.
    TEncodingChoice EncodingChoice() const { return encodingChoice_; }
    void SetEncodingChoice(TEncodingChoice choice) { encodingChoice_ = choice; }
    // The encoding the last scan found (ASCII for an empty file).
    TTextEncoding LastEncoding() const { return lastEncoding_; }

    // Runs the owner's pending work once per block read and per report.
    void SetMessageLoopHook(MessageLoopHook hook) { messageLoop_ = std::move(hook); }

    // Searches the file with the fast scan, or with the designed scan chosen
    // for the current pattern when a match may run across a line break.
    // Throws EFileNotFound and EGrepCancel; an empty file reports nothing.
    void GrepFile(const std::string &fileName);
    // The same search over a file already in memory; `name` only names it.
    void GrepBytes(const std::string &name, std::string_view bytes);
    // The same search over bytes read from `stream` as the scan goes.
    void GrepStream(const std::string &name, TByteStream &stream);
    // The designed scan the pattern gets (the reference for the fast one).
    bool UsesLiteralScan() const { return grepFile_ == &TGrep::LiteralScan; }
    bool UsesFastScan() const { return fastScan_ && fastScan_->Usable(); }

    void DfaScan(const std::string &fileName);
    void LiteralScan(const std::string &fileName);
    // Fails with std::logic_error when the pattern needs the designed scan.
    void FastScan(const std::string &fileName);

protected:
    CharCode LineHeadCode() const override { return 10; }
    CharCode LineTailCode() const override { return 10; }

private:
    using ScanMethod = void (TGrep::*)(const std::string &);

    void ChooseScan();
    // Clears Cancel for a new scan; the result links the stop token to it
    // while the scan runs.
    std::stop_callback<std::function<void()>> StartScan();
    // nullptr for an empty file.
    std::unique_ptr<TTxtFile> OpenReader(const std::string &fileName);
    // The file's bytes: from memory during GrepBytes, otherwise read from disk.
    std::unique_ptr<TFileTextSource> OpenSource(const std::string &fileName) const;
    void Report(TTxtFile &file, const TGrepOnMatch &handler);
    void NoteEncoding(TTxtFile &file);

    TGrepOnMatch onMatch_;
    std::optional<std::string_view> bytes_;  // set during GrepBytes
    TByteStream *stream_ = nullptr;          // set during GrepStream
    std::stop_source cancel_;
    std::stop_token stop_;
    MessageLoopHook messageLoop_;
    TEncodingChoice encodingChoice_ = TEncodingChoice::ecAuto;
    TTextEncoding lastEncoding_ = TTextEncoding::teAscii;
    ScanMethod grepFile_ = &TGrep::DfaScan;
    // Kept while the pattern's DFA stays current: its automaton grows as files are read.
    std::shared_ptr<TFastScan> fastScan_;
    const TRE_DFA *fastScanDfa_ = nullptr;
    bool lineTextWanted_ = true;
    bool lineNumbersWanted_ = true;
};

}  // namespace zr::regex

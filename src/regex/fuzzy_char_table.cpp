#include "regex/fuzzy_char_table.h"

#include "platform/codepage.h"

#include <stdexcept>
#include <string>

namespace zr::regex {

namespace {

// clang-format off
constexpr const char *kRows[] = {
    "Ａ,ａ,A,a",  // 0
    "Ｂ,ｂ,B,b",
    "Ｃ,ｃ,C,c",
    "Ｄ,ｄ,D,d",
    "Ｅ,ｅ,E,e",
    "Ｆ,ｆ,F,f",  // 5
    "Ｇ,ｇ,G,g",
    "Ｈ,ｈ,H,h",
    "Ｉ,ｉ,I,i",
    "Ｊ,ｊ,J,j",
    "Ｋ,ｋ,K,k",  // 10
    "Ｌ,ｌ,L,l",
    "Ｍ,ｍ,M,m",
    "Ｎ,ｎ,N,n",
    "Ｏ,ｏ,O,o",
    "Ｐ,ｐ,P,p",  // 15
    "Ｑ,ｑ,Q,q",
    "Ｒ,ｒ,R,r",
    "Ｓ,ｓ,S,s",
    "Ｔ,ｔ,T,t",
    "Ｕ,ｕ,U,u",  // 20
    "Ｖ,ｖ,V,v",
    "Ｗ,ｗ,W,w",
    "Ｘ,ｘ,X,x",
    "Ｙ,ｙ,Y,y",
    "Ｚ,ｚ,Z,z",  // 25
    "0,０,零",
    "1,１,一,①,Ⅰ,壱",
    "2,２,二,②,Ⅱ,弐",
    "3,３,三,③,Ⅲ,参",
    "4,４,四,④,Ⅳ",  // 30
    "5,５,五,⑤,Ⅴ,伍",
    "6,６,六,⑥,Ⅵ",
    "7,７,七,⑦,Ⅶ",
    "8,８,八,⑧,Ⅷ",
    "9,９,九,⑨,Ⅸ",  // 35
    "\"　\",\" \"",  // 36: the full-width space and the space, quoted
    "!,！",
    "\"\"\"\",”",  // 38: the double quote, quoted and doubled
    "#,＃",
    "$,＄",  // 40
    "%,％",
    "&,＆",
    "',’",
    "(,（",
    "),）",  // 45
    "*,＊",
    "+,＋",
    "ー,～,ｰ",
    "-,ー,－,～,ｰ",
    "･,・",  // 50
    "/,／",
    ":,：",
    ";,；",
    "<,＜",
    "=,＝",  // 55
    ">,＞",
    "?,？",
    "@,＠",
    "[,［,〔",
    "\\,￥",  // 60
    "],］,〕",
    "^,＾",
    "_,＿",
    "{,｛",
    "|,｜",  // 65
    "},｝",
    "~,￣",
    "\",\",､,、,，",  // 68: the comma, quoted
    "｡,.,。,．",
    "「,『,｢",  // 70
    "」,』,｣",
    "ん,ン,ﾝ",
    "が,ガ,ｶﾞ,か゛,カ゛",
    "ぎ,ギ,ｷﾞ,き゛,キ゛",
    "ぐ,グ,ｸﾞ,く゛,ク゛",  // 75
    "げ,ゲ,ｹﾞ,け゛,ケ゛",
    "ご,ゴ,ｺﾞ,こ゛,コ゛",
    "ざ,ザ,ｻﾞ,さ゛,サ゛",
    "じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛",
    "ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛",  // 80
    "ぜ,ゼ,ｾﾞ,せ゛,セ゛",
    "ぞ,ゾ,ｿﾞ,そ゛,ソ゛",
    "だ,ダ,ﾀﾞ,た゛,タ゛",
    "で,デ,ﾃﾞ,て゛,テ゛",
    "ど,ド,ﾄﾞ,と゛,ト゛",  // 85
    "ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ",
    "び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ",
    "ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ",
    "べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ",
    "ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ",  // 90
    "ぱ,パ,ﾊﾟ,は゜,ハ゜",
    "ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜",
    "ぷ,プ,ﾌﾟ,ふ゜,フ゜",
    "ぺ,ペ,ﾍﾟ,へ゜,ヘ゜",
    "ぽ,ポ,ﾎﾟ,ほ゜,ホ゜",  // 95
    "あ,ア,ｱ,ぁ,ァ,ｧ",
    "い,イ,ｲ,ぃ,ィ,ｨ",
    "う,ウ,ｳ,ぅ,ゥ,ｩ",
    "え,エ,ｴ,ぇ,ェ,ｪ",
    "お,オ,ｵ,ぉ,ォ,ｫ",  // 100
    "か,カ,ｶ",
    "き,キ,ｷ",
    "く,ク,ｸ",
    "け,ケ,ｹ",
    "こ,コ,ｺ",  // 105
    "さ,サ,ｻ",
    "し,シ,ｼ",
    "す,ス,ｽ",
    "せ,セ,ｾ",
    "そ,ソ,ｿ",  // 110
    "た,タ,ﾀ",
    "ち,チ,ﾁ",
    "つ,ツ,ﾂ,っ,ッ,ｯ",
    "て,テ,ﾃ",
    "と,ト,ﾄ",  // 115
    "な,ナ,ﾅ",
    "に,ニ,ﾆ",
    "ぬ,ヌ,ﾇ",
    "ね,ネ,ﾈ",
    "の,ノ,ﾉ",  // 120
    "は,ハ,ﾊ",
    "ひ,ヒ,ﾋ",
    "ふ,フ,ﾌ",
    "へ,ヘ,ﾍ",
    "ほ,ホ,ﾎ",  // 125
    "ま,マ,ﾏ",
    "み,ミ,ﾐ",
    "む,ム,ﾑ",
    "め,メ,ﾒ",
    "も,モ,ﾓ",  // 130
    "や,ヤ,ﾔ,ゃ,ャ,ｬ",
    "ゆ,ユ,ﾕ,ゅ,ュ,ｭ",
    "よ,ヨ,ﾖ,ょ,ョ,ｮ",
    "ら,ラ,ﾗ",
    "り,リ,ﾘ",  // 135
    "る,ル,ﾙ",
    "れ,レ,ﾚ",
    "ろ,ロ,ﾛ",
    "わ,ワ,ﾜ,うぁ,ウァ,ｳｧ",
    "ヰ,ゐ,うぃ,ウィ,ｳｨ",  // 140
    "ヱ,ゑ,うぇ,ウェ,ｳｪ",
    "を,ヲ,ｦ,うぉ,ウォ,ｳｫ",
    "ﾞ,゛",
    "ﾟ,゜",
};
// clang-format on

static_assert(std::size(kRows) == kFuzzyCharRowCount);

TREDictionaryRow ConvertRow(const char *utf8Row, std::size_t index)
{
    TREDictionaryRow row;
    for (const std::string &entry : SplitCommaText(utf8Row)) {
        platform::ConversionResult converted = platform::Utf8ToCp932(entry);
        if (!converted.ok)
            throw std::logic_error("fuzzy-character row " + std::to_string(index) +
                                   " has no CP932 form: " + entry);
        row.push_back(std::move(converted.text));
    }
    return row;
}

TREDictionary BuildTable()
{
    TREDictionary table;
    table.reserve(kFuzzyCharRowCount);
    for (std::size_t i = 0; i < kFuzzyCharRowCount; ++i)
        table.push_back(ConvertRow(kRows[i], i));
    return table;
}

}  // namespace

std::span<const char *const> FuzzyCharTableSource() { return kRows; }

const TREDictionary &FuzzyCharTable()
{
    static const TREDictionary table = BuildTable();
    return table;
}

}  // namespace zr::regex

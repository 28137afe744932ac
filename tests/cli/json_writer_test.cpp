// The JSON writer on its own: whatever it is given, Qt's parser reads back the
// same values, and text that is not UTF-8 cannot make the output invalid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/json_writer.h"

namespace qm::cli {
namespace {

QJsonDocument reparse(const JsonWriter& w) {
    EXPECT_TRUE(w.complete());
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(w.text()), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << w.text();
    return doc;
}

TEST(JsonWriter, StringsWithEveryCharacterJsonMustEscapeReadBackUnchanged) {
    std::string all;
    for (int c = 1; c < 0x80; ++c) all += static_cast<char>(c);
    const std::string samples[] = {"", "\"", "\\", "a\"b\\c\nd\re\tf\bg\fh", all, "流程图 😀 \xE2\x80\xA8", "\x7F"};
    JsonWriter w;
    w.beginArray(JsonWriter::Layout::Inline);
    for (const std::string& s : samples) w.string(s);
    w.endArray();
    const QJsonArray back = reparse(w).array();
    ASSERT_EQ(back.size(), static_cast<qsizetype>(std::size(samples)));
    for (size_t k = 0; k < std::size(samples); ++k)
        EXPECT_EQ(back[static_cast<qsizetype>(k)].toString().toStdString(), samples[k]) << k;
    EXPECT_EQ(w.text().find('\n'), std::string::npos) << "control characters are escaped, not written";
}

TEST(JsonWriter, BadUtf8BecomesReplacementCharactersAndTheRestSurvives) {
    const std::string bad[] = {"a\xFF" "b", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\xB5", "\xB1\xA3"};
    JsonWriter w;
    w.beginArray();
    for (const std::string& s : bad) {
        EXPECT_FALSE(isUtf8(s)) << s;
        w.string(s);
    }
    w.endArray();
    const QJsonArray back = reparse(w).array();
    ASSERT_EQ(back.size(), 6);
    EXPECT_EQ(back[0].toString(), QStringLiteral("a\uFFFDb"));
    for (qsizetype k = 1; k < back.size(); ++k) {
        EXPECT_FALSE(back[k].toString().isEmpty());
        for (QChar c : back[k].toString()) EXPECT_EQ(c, QChar(0xFFFD)) << k;
    }
    EXPECT_TRUE(isUtf8("流程图 😀"));
}

TEST(JsonWriter, NestedContainersKeysAndNumbers) {
    JsonWriter w;
    w.beginObject();
    w.key("empty");
    w.beginObject(JsonWriter::Layout::Inline);
    w.endObject();
    w.key("none");
    w.beginArray();
    w.endArray();
    w.key("inline");
    w.beginObject(JsonWriter::Layout::Inline);
    w.key("deep");
    w.beginArray();  // inside an inline container everything stays on its line
    w.integer(-32768);
    w.integer(INT64_MAX);
    w.endArray();
    w.endObject();
    w.key("reals");
    w.beginArray(JsonWriter::Layout::Inline);
    w.real(11500.5);
    w.real(static_cast<double>(0.1f));
    w.real(1e300);
    w.real(std::nan(""));
    w.real(std::numeric_limits<double>::infinity());
    w.endArray();
    w.key("flags");
    w.beginArray(JsonWriter::Layout::Inline);
    w.boolean(true);
    w.boolean(false);
    w.null();
    w.endArray();
    w.endObject();

    const QJsonObject o = reparse(w).object();
    EXPECT_TRUE(o[QStringLiteral("empty")].toObject().isEmpty());
    EXPECT_TRUE(o[QStringLiteral("none")].toArray().isEmpty());
    const QJsonArray deep = o[QStringLiteral("inline")][QStringLiteral("deep")].toArray();
    EXPECT_EQ(deep[0].toInteger(), -32768);
    EXPECT_EQ(deep[1].toInteger(), INT64_MAX);
    const QJsonArray reals = o[QStringLiteral("reals")].toArray();
    EXPECT_EQ(reals[0].toDouble(), 11500.5);
    EXPECT_EQ(static_cast<float>(reals[1].toDouble()), 0.1f) << "a 32-bit value reads back as the same float";
    EXPECT_EQ(reals[2].toDouble(), 1e300);
    EXPECT_TRUE(reals[3].isNull());
    EXPECT_TRUE(reals[4].isNull());
    EXPECT_EQ(o[QStringLiteral("flags")].toArray(), QJsonArray({true, false, QJsonValue()}));
    EXPECT_NE(w.text().find("\"inline\": {\"deep\": [-32768, 9223372036854775807]}"), std::string::npos) << w.text();
    EXPECT_NE(w.text().find("0.1,"), std::string::npos) << "the shortest form of the float";
}

TEST(JsonWriter, OnlyAClosedTopLevelValueIsComplete) {
    JsonWriter w;
    EXPECT_FALSE(w.complete());
    w.beginObject();
    w.key("a");
    EXPECT_FALSE(w.complete());
    w.endObject();  // a key without its value: refused, still open
    EXPECT_FALSE(w.complete());
    w.integer(1);
    w.endObject();
    EXPECT_TRUE(w.complete());
    EXPECT_EQ(w.text(), "{\n  \"a\": 1\n}");
}

}  // namespace
}  // namespace qm::cli

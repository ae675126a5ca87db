#include "ElemJson.h"

#include "ConsoleOutput.h"

#include "core/DisplayText.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// One member of CKelElem: a string, a 32-bit integer or a time. A time is written to the
// file in 32 bits, so it takes the same range as the integers here.
struct ElemField {
    const char* name;
    std::string CKelElem::*text = nullptr;
    int32_t CKelElem::*number = nullptr;
    TimeValue CKelElem::*time = nullptr;
};

constexpr ElemField kFields[] = {
    {"m_strDescription", &CKelElem::m_strDescription},
    {"m_nCheckMode", nullptr, &CKelElem::m_nCheckMode},
    {"m_timeReference", nullptr, nullptr, &CKelElem::m_timeReference},
    {"m_strOriginal", &CKelElem::m_strOriginal},
    {"m_strCopy", &CKelElem::m_strCopy},
    {"m_bSignal", nullptr, &CKelElem::m_bSignal},
    {"m_nAction", nullptr, &CKelElem::m_nAction},
    {"m_bActive", nullptr, &CKelElem::m_bActive},
    {"m_timeLastAccess", nullptr, nullptr, &CKelElem::m_timeLastAccess},
    {"m_nState", nullptr, &CKelElem::m_nState},
    {"m_timeAtTime", nullptr, nullptr, &CKelElem::m_timeAtTime},
    {"m_nWhen", nullptr, &CKelElem::m_nWhen},
    {"m_strFtpUser", &CKelElem::m_strFtpUser},
    {"m_strFtpPassword", &CKelElem::m_strFtpPassword},
    {"m_bFtpBinary", nullptr, &CKelElem::m_bFtpBinary},
};

// A control character below 0x20 as JSON's \u00XX.
void AppendControlEscape(unsigned char c, std::string& json) {
    constexpr char kHexDigits[] = "0123456789abcdef";
    json += "\\u00";
    json.push_back(kHexDigits[c >> 4]);
    json.push_back(kHexDigits[c & 0xF]);
}

void AppendJsonString(std::string_view text, std::string& json) {
    json.push_back('"');
    for (const char c : text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    AppendControlEscape(static_cast<unsigned char>(c), json);
                } else {
                    json.push_back(c);
                }
        }
    }
    json.push_back('"');
}

void AppendElement(const CKelElem& elem, std::string& json) {
    json += "    {\n";
    for (const ElemField& field : kFields) {
        json += "      \"";
        json += field.name;
        json += "\": ";
        if (field.text) {
            AppendJsonString(DisplayText(elem.*field.text), json);
        } else if (field.number) {
            json += std::to_string(elem.*field.number);
        } else {
            json += std::to_string(elem.*field.time);
        }
        json += &field == &kFields[std::size(kFields) - 1] ? "\n" : ",\n";
    }
    json += "    }";
}

std::string Where(const std::string& element, const char* member) {
    return element + "." + member;
}

bool ReadNumber(const QJsonValue& value, int32_t& number, const std::string& where,
                std::string& error) {
    const double d = value.toDouble();
    if (!value.isDouble() || !std::isfinite(d) || std::trunc(d) != d) {
        error = where + ": expected an integer";
        return false;
    }
    if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max()) {
        error = where + ": " + QString::number(d, 'g', 17).toStdString() +
                " is out of the 32-bit range";
        return false;
    }
    number = static_cast<int32_t>(d);
    return true;
}

bool ReadMember(const QJsonValue& value, const ElemField& field, const std::string& element,
                CKelElem& elem, std::string& error) {
    if (field.number) {
        return ReadNumber(value, elem.*field.number, Where(element, field.name), error);
    }
    if (field.time) {
        int32_t stored = 0;
        if (!ReadNumber(value, stored, Where(element, field.name), error)) {
            return false;
        }
        elem.*field.time = stored;
        return true;
    }
    if (!value.isString()) {
        error = Where(element, field.name) + ": expected a string";
        return false;
    }
    elem.*field.text = value.toString().toStdString();
    return true;
}

const ElemField* FindField(const QString& name) {
    for (const ElemField& field : kFields) {
        if (name == QLatin1StringView(field.name)) {
            return &field;
        }
    }
    return nullptr;
}

bool ReadElement(const QJsonValue& value, const std::string& element, CKelElem& elem,
                 std::string& error) {
    if (!value.isObject()) {
        error = element + ": expected an object";
        return false;
    }
    const QJsonObject object = value.toObject();
    for (auto member = object.begin(); member != object.end(); ++member) {
        const ElemField* field = FindField(member.key());
        if (!field) {
            error = element + "." + member.key().toStdString() + ": unknown member";
            return false;
        }
        if (!ReadMember(member.value(), *field, element, elem, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace

CJsonElementWriter::CJsonElementWriter() {
    WriteOut("{\n  \"elements\": [");
}

void CJsonElementWriter::Receive(std::unique_ptr<CKelElem> elem) {
    m_json = m_written++ == 0 ? "\n" : ",\n";
    AppendElement(*elem, m_json);
    WriteOut(m_json);
}

void CJsonElementWriter::Finish() {
    WriteOut(m_written == 0 ? "]\n}\n" : "\n  ]\n}\n");
}

bool ElementsFromJson(std::string_view json, ElemList& list, std::string& error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(json.data(), static_cast<qsizetype>(json.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = "syntax error at offset " + std::to_string(parseError.offset) + ": " +
                parseError.errorString().toStdString();
        return false;
    }
    if (!document.isObject()) {
        error = "expected an object with the member \"elements\"";
        return false;
    }
    const QJsonObject top = document.object();
    for (auto member = top.begin(); member != top.end(); ++member) {
        if (member.key() != QLatin1StringView("elements")) {
            error = member.key().toStdString() + ": unknown member";
            return false;
        }
    }
    const QJsonValue elements = top.value(QLatin1StringView("elements"));
    if (!elements.isArray()) {
        error = elements.isUndefined() ? "elements: missing" : "elements: expected an array";
        return false;
    }
    ElemList parsed;
    const QJsonArray array = elements.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto elem = std::make_unique<CKelElem>();
        if (!ReadElement(array[i], "elements[" + std::to_string(i) + "]", *elem, error)) {
            return false;
        }
        parsed.push_back(std::move(elem));
    }
    list = std::move(parsed);
    return true;
}

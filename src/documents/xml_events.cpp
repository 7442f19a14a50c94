#include "documents/xml_events.h"

#include <cstring>
#include <libxml/xmlreader.h>
#include <memory>
#include <stdexcept>

#include "documents/zip_parts.h"

namespace zr::documents {

namespace {

std::string_view View(const xmlChar *text)
{
    return text ? std::string_view(reinterpret_cast<const char *>(text)) : std::string_view();
}

struct ReaderCloser {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

struct StreamInput {
    PartStream *stream;
    bool failed = false;
    std::string failure;
};

int ReadFromStream(void *context, char *buffer, int length)
{
    auto *input = static_cast<StreamInput *>(context);
    try {
        return static_cast<int>(input->stream->Read(buffer, static_cast<std::size_t>(length)));
    } catch (const std::exception &error) {
        input->failed = true;
        input->failure = error.what();
        return -1;
    }
}

// Quiet: a malformed part is reported once by its caller, not on stderr.
void IgnoreErrors(void *, xmlErrorPtr) {}

// No DTD loading, no entity substitution, no network, no huge-text lift.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

void Run(xmlTextReaderPtr reader, const std::string &partName, XmlHandler &handler, StreamInput *input)
{
    if (!reader)
        throw std::runtime_error(partName + ": cannot be read as XML");
    std::unique_ptr<xmlTextReader, ReaderCloser> owner(reader);
    xmlTextReaderSetStructuredErrorHandler(reader, IgnoreErrors, nullptr);
    int result;
    while (handler.KeepGoing() && (result = xmlTextReaderRead(reader)) == 1) {
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_ELEMENT: {
            const std::string_view name = View(xmlTextReaderConstLocalName(reader));
            const bool empty = xmlTextReaderIsEmptyElement(reader) == 1;
            handler.Start(name, XmlAttributes(reader));
            if (empty)
                handler.End(name);
            break;
        }
        case XML_READER_TYPE_END_ELEMENT:
            handler.End(View(xmlTextReaderConstLocalName(reader)));
            break;
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            handler.Text(View(xmlTextReaderConstValue(reader)));
            break;
        default:  // entity references, comments, processing instructions
            break;
        }
    }
    if (!handler.KeepGoing())
        return;
    if (result != 0) {
        std::string reason = partName + ": not well-formed XML";
        if (input && input->failed)
            reason = partName + ": " + input->failure;
        else if (const xmlError *error = xmlGetLastError(); error && error->message) {
            std::string message = error->message;
            // libxml2 ends its messages with a line break.
            while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
                message.pop_back();
            reason += ": " + message;
        }
        throw std::runtime_error(reason);
    }
}

}  // namespace

std::string XmlAttributes::Get(std::string_view localName) const
{
    auto *reader = static_cast<xmlTextReaderPtr>(reader_);
    std::string value;
    if (xmlTextReaderMoveToFirstAttribute(reader) != 1)
        return value;
    do {
        if (View(xmlTextReaderConstLocalName(reader)) == localName) {
            value = View(xmlTextReaderConstValue(reader));
            break;
        }
    } while (xmlTextReaderMoveToNextAttribute(reader) == 1);
    xmlTextReaderMoveToElement(reader);
    return value;
}

std::string XmlAttributes::RelationshipId() const
{
    auto *reader = static_cast<xmlTextReaderPtr>(reader_);
    std::string value;
    if (xmlTextReaderMoveToFirstAttribute(reader) != 1)
        return value;
    do {
        const std::string_view space = View(xmlTextReaderConstNamespaceUri(reader));
        if (View(xmlTextReaderConstLocalName(reader)) == "id" && space.ends_with("/relationships")) {
            value = View(xmlTextReaderConstValue(reader));
            break;
        }
    } while (xmlTextReaderMoveToNextAttribute(reader) == 1);
    xmlTextReaderMoveToElement(reader);
    return value;
}

void ReadXml(PartStream &stream, const std::string &partName, XmlHandler &handler)
{
    StreamInput input{&stream, false, {}};
    xmlTextReaderPtr reader =
        xmlReaderForIO(ReadFromStream, nullptr, &input, partName.c_str(), nullptr, kParseOptions);
    Run(reader, partName, handler, &input);
}

void ReadXml(std::string_view bytes, const std::string &partName, XmlHandler &handler)
{
    xmlTextReaderPtr reader = xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()),
                                                 partName.c_str(), nullptr, kParseOptions);
    Run(reader, partName, handler, nullptr);
}

}  // namespace zr::documents

#pragma once
// A streaming XML reader for document parts: start and end of elements
// (local names, namespace prefixes dropped), their attributes, and text.
// Nothing from a DTD is loaded or expanded and nothing is fetched from the
// network, so an entity bomb costs nothing: entity references are skipped.

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace zr::documents {

class PartStream;

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void Start(std::string_view name, const class XmlAttributes &attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
    // False ends the reading early (a stop, or the handler has enough).
    virtual bool KeepGoing() { return true; }
};

// The attributes of the element being started; valid inside Start only.
class XmlAttributes {
public:
    explicit XmlAttributes(void *reader) : reader_(reader) {}
    // The first attribute of that local name, whatever its prefix, or ""
    // when absent.
    std::string Get(std::string_view localName) const;
    // The "id" attribute in the relationships namespace (r:id), whatever
    // its prefix; a plain "id" beside it is not it.
    std::string RelationshipId() const;

private:
    void *reader_;
};

// Reads the whole part; throws std::runtime_error naming the part when it
// is not well-formed XML.
void ReadXml(PartStream &stream, const std::string &partName, XmlHandler &handler);
void ReadXml(std::string_view bytes, const std::string &partName, XmlHandler &handler);

}  // namespace zr::documents

#include "configurator/manifest.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "configurator/byte_io.h"
#include "configurator/string_table.h"

const char UTF8_CODE_PAGE_ENTRY[] =
    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>";

namespace {

const std::uint16_t MANIFEST_ID = 1;

const char MINIMAL_MANIFEST[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "</assembly>\n";

// An element of the manifest, by the offsets of its tags in the text.
struct Element {
    std::string name;  // as written, with its prefix
    std::size_t openStart, openEnd;
    std::size_t closeStart, closeEnd;  // both openEnd for an empty element
    bool empty;
    int parent;
};

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string localName(const std::string& name) {
    const std::size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::string prefixOf(const std::string& name) {
    const std::size_t colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(0, colon + 1);
}

std::size_t endOf(const std::string& xml, std::size_t from, const char* terminator) {
    const std::size_t at = xml.find(terminator, from);
    require(at != std::string::npos, "malformed manifest (a tag, comment or section is not closed)");
    return at + std::char_traits<char>::length(terminator);
}

std::string tagName(const std::string& xml, std::size_t from) {
    std::size_t end = from;
    while (end < xml.size() && !isWhite(xml[end]) && xml[end] != '>' && xml[end] != '/') ++end;
    return xml.substr(from, end - from);
}

// The end of a start tag, past its '>'; quoted attribute values may hold '>'.
std::size_t startTagEnd(const std::string& xml, std::size_t from) {
    char quote = 0;
    for (std::size_t i = from; i < xml.size(); ++i) {
        if (quote) {
            if (xml[i] == quote) quote = 0;
        } else if (xml[i] == '"' || xml[i] == '\'') {
            quote = xml[i];
        } else if (xml[i] == '>') {
            return i + 1;
        }
    }
    throw FormatError("malformed manifest (a tag is not closed)");
}

std::vector<Element> scanElements(const std::string& xml) {
    std::vector<Element> elements;
    std::vector<int> open;
    for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at)) {
        if (xml.compare(at, 4, "<!--") == 0) {
            at = endOf(xml, at + 4, "-->");
        } else if (xml.compare(at, 9, "<![CDATA[") == 0) {
            at = endOf(xml, at + 9, "]]>");
        } else if (xml.compare(at, 2, "<?") == 0) {
            at = endOf(xml, at + 2, "?>");
        } else if (xml.compare(at, 2, "<!") == 0) {
            at = endOf(xml, at + 2, ">");
        } else if (xml.compare(at, 2, "</") == 0) {
            const std::string name = tagName(xml, at + 2);
            const std::size_t end = endOf(xml, at + 2, ">");
            require(!open.empty() && elements[open.back()].name == name, "malformed manifest (tags do not match)");
            elements[open.back()].closeStart = at;
            elements[open.back()].closeEnd = end;
            open.pop_back();
            at = end;
        } else {
            Element e;
            e.name = tagName(xml, at + 1);
            e.openStart = at;
            e.openEnd = startTagEnd(xml, at + 1);
            e.empty = xml[e.openEnd - 2] == '/';
            e.closeStart = e.closeEnd = e.openEnd;
            e.parent = open.empty() ? -1 : open.back();
            elements.push_back(e);
            if (!e.empty) open.push_back(static_cast<int>(elements.size() - 1));
            at = e.openEnd;
        }
    }
    require(open.empty(), "malformed manifest (an element is not closed)");
    return elements;
}

int findChild(const std::vector<Element>& elements, int parent, const char* local) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].parent == parent && localName(elements[i].name) == local) return static_cast<int>(i);
    }
    return -1;
}

bool isCodePageEntry(const std::vector<Element>& elements, const Element& e) {
    return localName(e.name) == "activeCodePage" && e.parent >= 0 &&
           localName(elements[e.parent].name) == "windowsSettings";
}

std::size_t whitespaceBefore(const std::string& xml, std::size_t at) {
    while (at > 0 && isWhite(xml[at - 1])) --at;
    return at;
}

// The indentation of the line on which `at` stands, when it begins the line.
std::string indentBefore(const std::string& xml, std::size_t at) {
    const std::string run = xml.substr(whitespaceBefore(xml, at), at - whitespaceBefore(xml, at));
    const std::size_t lineStart = run.find_last_of('\n');
    return lineStart == std::string::npos ? std::string() : run.substr(lineStart + 1);
}

// Adds `child` as the last child of `parent`, on a line of its own indented
// like its siblings when the manifest is laid out in lines.
std::string insertChild(const std::string& xml, const std::vector<Element>& elements, int parent,
                        const std::string& child) {
    const Element& p = elements[parent];
    std::string result = xml;
    if (p.empty) {
        std::size_t headEnd = whitespaceBefore(xml, p.openEnd - 2);
        const std::string head = xml.substr(p.openStart, headEnd - p.openStart);
        return result.replace(p.openStart, p.openEnd - p.openStart, head + ">" + child + "</" + p.name + ">");
    }
    const std::size_t runStart = whitespaceBefore(xml, p.closeStart);
    const std::string run = xml.substr(runStart, p.closeStart - runStart);
    if (run.find('\n') == std::string::npos) return result.insert(p.closeStart, child);
    const std::string lineBreak = run.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string indent = indentBefore(xml, p.closeStart) + "  ";
    for (std::size_t i = elements.size(); i-- > 0;) {
        if (elements[i].parent == parent) {
            indent = indentBefore(xml, elements[i].openStart);
            break;
        }
    }
    return result.insert(runStart, lineBreak + indent + child);
}

std::string trimmed(const std::string& s) {
    std::size_t first = 0, last = s.size();
    while (first < last && isWhite(s[first])) ++first;
    while (last > first && isWhite(s[last - 1])) --last;
    return s.substr(first, last - first);
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<Resource> manifestResources(const ResourceTree& tree) {
    std::vector<Resource> found;
    for (const Resource* r : tree.ofType(ResourceId::of(RT_MANIFEST_TYPE))) {
        if (r->name == ResourceId::of(MANIFEST_ID)) found.push_back(*r);
    }
    return found;
}

std::string textOf(const Bytes& data) { return std::string(data.begin(), data.end()); }

}  // namespace

bool manifestSetsUtf8(const std::string& manifest) {
    const std::vector<Element> elements = scanElements(manifest);
    for (const Element& e : elements) {
        if (isCodePageEntry(elements, e) && !e.empty &&
            equalsIgnoringCase(trimmed(manifest.substr(e.openEnd, e.closeStart - e.openEnd)), "UTF-8")) {
            return true;
        }
    }
    return false;
}

std::string withUnicodeMode(const std::string& manifest, bool on) {
    std::string xml = manifest;
    const std::vector<Element> elements = scanElements(xml);
    const int assembly = findChild(elements, -1, "assembly");
    require(assembly >= 0, "the manifest has no assembly element");
    // An entry there is replaced in its place, any other one goes; from the
    // last to the first, so that the offsets of the others hold.
    bool placed = false;
    for (std::size_t i = elements.size(); i-- > 0;) {
        const Element& e = elements[i];
        if (!isCodePageEntry(elements, e)) continue;
        if (on && !placed) {
            xml.replace(e.openStart, e.closeEnd - e.openStart, UTF8_CODE_PAGE_ENTRY);
            placed = true;
        } else {
            const std::size_t from = whitespaceBefore(xml, e.openStart);
            xml.erase(from, e.closeEnd - from);
        }
    }
    if (!on || placed) return xml;
    const int application = findChild(elements, assembly, "application");
    const int settings = application >= 0 ? findChild(elements, application, "windowsSettings") : -1;
    if (settings >= 0) return insertChild(xml, elements, settings, UTF8_CODE_PAGE_ENTRY);
    if (application >= 0) {
        const std::string name = prefixOf(elements[application].name) + "windowsSettings";
        return insertChild(xml, elements, application, "<" + name + ">" + UTF8_CODE_PAGE_ENTRY + "</" + name + ">");
    }
    return insertChild(xml, elements, assembly,
                       std::string("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>") +
                           UTF8_CODE_PAGE_ENTRY + "</windowsSettings></application>");
}

void checkManifests(const ResourceTree& tree) {
    for (const Resource& r : manifestResources(tree)) {
        require(findChild(scanElements(textOf(r.data)), -1, "assembly") >= 0, "the manifest has no assembly element");
    }
}

bool unicodeMode(const ResourceTree& tree) {
    for (const Resource& r : manifestResources(tree)) {
        if (manifestSetsUtf8(textOf(r.data))) return true;
    }
    return false;
}

void setUnicodeMode(ResourceTree& tree, bool on) {
    std::vector<Resource> manifests = manifestResources(tree);
    if (manifests.empty()) {
        if (!on) return;
        Resource created;
        created.type = ResourceId::of(RT_MANIFEST_TYPE);
        created.name = ResourceId::of(MANIFEST_ID);
        created.language = ENGLISH_US;
        const std::string text = MINIMAL_MANIFEST;
        created.data.assign(text.begin(), text.end());
        manifests.push_back(created);
    }
    for (Resource& r : manifests) {
        const std::string text = withUnicodeMode(textOf(r.data), on);
        r.data.assign(text.begin(), text.end());
        tree.put(r);
    }
}

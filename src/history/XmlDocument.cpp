#include "history/XmlDocument.h"

#include <QFile>

#include <cstdlib>
#include <string>
#include <strings.h>

#include "history/HistoryConstants.h"
#include "platform/AtomicFile.h"

namespace {

// Hand-edited files may carry comments and processing instructions; keep them. Whitespace
// between elements is dropped, whitespace that is an element's whole text is kept.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata_single;
// No indentation; the declaration is a node of the document and is not added by the writer.
constexpr unsigned kFormat = pugi::format_raw | pugi::format_no_declaration;

QByteArray Utf8(const QString& text) { return text.toUtf8(); }

class ByteWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), qsizetype(size)); }
    QByteArray bytes;
};

} // namespace

CXmlNode CXmlNode::GetChild(const char* name) const
{
    if (!IsValid())
        return {};
    pugi::xml_node child = m_node.child(name);
    if (!child)
        child = m_node.append_child(name);
    return CXmlNode(child);
}

QString CXmlNode::GetText() const
{
    return IsValid() ? QString::fromUtf8(m_node.text().get()) : QString();
}

QString CXmlNode::GetText(const QString& def) const
{
    QString text = GetText();
    if (text.isEmpty() && !def.isEmpty()) {
        SetText(def);
        text = def;
    }
    return text;
}

bool CXmlNode::GetBool(bool def) const
{
    const char* text = IsValid() ? m_node.text().get() : "";
    if (strcasecmp(text, "true") == 0)
        return true;
    if (strcasecmp(text, "false") == 0)
        return false;
    SetBool(def);
    return def;
}

int CXmlNode::GetInt(int def) const
{
    const char* text = IsValid() ? m_node.text().get() : "";
    if (*text == '\0') {
        SetInt(def);
        return def;
    }
    // Leading blanks, an optional sign and digits; whatever follows is ignored. Values beyond
    // the 32-bit range stop at its ends.
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

bool CXmlNode::SetText(const QString& text) const
{
    return IsValid() && m_node.text().set(Utf8(text).constData());
}

bool CXmlNode::SetBool(bool value) const
{
    return IsValid() && m_node.text().set(value ? "true" : "false");
}

bool CXmlNode::SetInt(int value) const
{
    return IsValid() && m_node.text().set(std::to_string(value).c_str());
}

bool CXmlNode::Remove() const
{
    if (!IsValid())
        return false;
    pugi::xml_node parent = m_node.parent();
    return parent && parent.remove_child(m_node);
}

void CXmlDocument::StartNew()
{
    m_doc.reset();
    pugi::xml_node decl = m_doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = kXmlDeclVersion;
    decl.append_attribute("encoding") = kXmlDeclEncoding;
    decl.append_attribute("standalone") = kXmlDeclStandalone;
}

CXmlDocument::LoadResult CXmlDocument::Load(const QString& path)
{
    m_path = path;
    m_unreadablePath.clear();
    m_loaded = true;
    QFile file(path);
    if (!file.exists()) {
        StartNew();
        return LoadResult::NewDocument;
    }
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        m_doc.reset();
        const pugi::xml_parse_result result =
            m_doc.load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions, pugi::encoding_auto);
        if (result && m_doc.document_element())
            return LoadResult::Loaded;
    }
    // Unreadable: start afresh, and keep the old file until the first save moves it aside.
    StartNew();
    m_unreadablePath = path;
    return LoadResult::Unreadable;
}

QByteArray CXmlDocument::ToBytes() const
{
    ByteWriter writer;
    writer.bytes.reserve(m_lastSize + m_lastSize / 8 + 4096); // the file only grows by an entry at a time
    m_doc.save(writer, "", kFormat, pugi::encoding_utf8);
    m_lastSize = writer.bytes.size();
    return writer.bytes;
}

bool CXmlDocument::Save(const QString& path)
{
    if (!m_loaded || path.isEmpty())
        return false;
    if (!m_unreadablePath.isEmpty()) {
        // Never write over a history we could not read.
        if (!AtomicFile::MoveAside(m_unreadablePath))
            return false;
        m_unreadablePath.clear();
    }
    if (!AtomicFile::Write(path, ToBytes()))
        return false;
    m_path = path;
    return true;
}

CXmlNode CXmlDocument::GetRoot()
{
    if (!m_loaded)
        return {};
    pugi::xml_node root = m_doc.document_element();
    if (!root)
        root = m_doc.append_child(kXmlRoot);
    return CXmlNode(root);
}

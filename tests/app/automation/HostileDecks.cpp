#include "HostileDecks.h"

#include "platform/PosixFiles.h"

#include <QBuffer>
#include <QImage>
#include <array>

namespace {

quint32 crc32(const QByteArray& data) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            t[n] = n;
            for (int k = 0; k < 8; ++k)
                t[n] = (t[n] & 1) ? 0xEDB88320u ^ (t[n] >> 1) : t[n] >> 1;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : data)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// The number's bytes, least significant first unless bigEndian.
QByteArray bytes(quint32 value, int count, bool bigEndian = false) {
    QByteArray out(count, '\0');
    for (int i = 0; i < count; ++i)
        out[bigEndian ? count - 1 - i : i] = char((value >> (8 * i)) & 0xFF);
    return out;
}

const QString kOdf = R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.3"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:smil="urn:oasis:names:tc:opendocument:xmlns:smil-compatible:1.0"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:dom="http://www.w3.org/2001/xml-events")";

// One slide: the named pictures, the slide's name, text, links, a shape
// with a click action and notes.
QString odpSlide(const QString& pictures, const QString& name, const QString& style = {}) {
    return QString(R"(<draw:page draw:name="%1"%5>%2
<draw:frame svg:x="1cm" svg:y="14cm" svg:width="24cm" svg:height="3cm"><draw:text-box><text:p>
&lt;script&gt;alert(1)&lt;/script&gt; <text:a xlink:href="%3">click me</text:a></text:p>
</draw:text-box></draw:frame>
<draw:rect svg:x="20cm" svg:y="1cm" svg:width="4cm" svg:height="4cm"><office:event-listeners>
<presentation:event-listener script:event-name="dom:click" presentation:action="show"
 xlink:href="%4" xlink:type="simple"/></office:event-listeners></draw:rect>
<presentation:notes><draw:frame presentation:class="notes"
 svg:width="17cm" svg:height="10cm"><draw:text-box><text:p>&lt;b onmouseover=alert(5)&gt;notes
</text:p></draw:text-box></draw:frame></presentation:notes></draw:page>)")
        .arg(name.toHtmlEscaped(), pictures, HostileDecks::kLinkAddress,
             QString(HostileDecks::kClickAddress).toHtmlEscaped(),
             style.isEmpty() ? QString() : " draw:style-name=\"" + style + "\"");
}

QString odpBody(const QString& pictures, const QString& name = HostileDecks::kSlideName) {
    return "<office:body><office:presentation>" + odpSlide(pictures, name) +
           "</office:presentation></office:body>";
}

QString linkedPictures(const QStringList& addresses) {
    QString out;
    for (const QString& address : addresses)
        out += QString(R"(<draw:frame svg:x="%1cm" svg:y="1cm" svg:width="12cm" svg:height="12cm">
<draw:image xlink:href="%2" xlink:type="simple" xlink:show="embed"/></draw:frame>)")
                   .arg(1 + 13 * out.count("<draw:frame"))
                   .arg(address.toHtmlEscaped());
    return out;
}

QByteArray flatDocument(const QString& body) {
    return QString(R"(<?xml version="1.0" encoding="UTF-8"?><office:document %1
 office:mimetype="application/vnd.oasis.opendocument.presentation">%2</office:document>)")
        .arg(kOdf, body)
        .toUtf8();
}

} // namespace

QByteArray HostileDecks::solidPng(int width, int height, QRgb colour) {
    const QByteArray row = '\0' + bytes(colour & 0xFFFFFF, 3, true).repeated(width);
    const auto chunk = [](const QByteArray& type, const QByteArray& data) {
        return bytes(quint32(data.size()), 4, true) + type + data +
               bytes(crc32(type + data), 4, true);
    };
    // qCompress gives the zlib stream PNG wants, after a length of its own.
    return "\x89PNG\r\n\x1a\n" +
           chunk("IHDR", bytes(width, 4, true) + bytes(height, 4, true) +
                             QByteArray("\x08\x02\x00\x00\x00", 5)) +
           chunk("IDAT", qCompress(row.repeated(height)).mid(4)) + chunk("IEND", {});
}

QByteArray HostileDecks::flatOdp(const QStringList& pictureAddresses) {
    return flatDocument(odpBody(linkedPictures(pictureAddresses)));
}

void HostileDecks::writeOdp(const QString& path, const QStringList& pictureAddresses) {
    const QString content = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content %1>%2</office:document-content>)";
    const QByteArray manifest = R"(<manifest:manifest manifest:version="1.3"
 xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry
 manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.presentation"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>)";
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
                    {"META-INF/manifest.xml", manifest},
                    {"content.xml",
                     content.arg(kOdf, odpBody(linkedPictures(pictureAddresses))).toUtf8()}});
}

void HostileDecks::writePptx(const QString& path, const QStringList& pictureAddresses) {
    const QString ns = R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"
 xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")";
    const QString tree = R"(<p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id="1" name=""/><p:cNvGrpSpPr/>
<p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>%1</p:spTree></p:cSld>)";
    const auto rels = [](const QString& items) {
        return QString(R"(<Relationships
 xmlns="http://schemas.openxmlformats.org/package/2006/relationships">%1</Relationships>)")
            .arg(QString(items).replace(
                "Type=\"", "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                           "relationships/"))
            .toUtf8();
    };
    QString pictures;
    QString links;
    for (int i = 0; i < pictureAddresses.size(); ++i) {
        pictures += QString(R"(<p:pic><p:nvPicPr><p:cNvPr id="%1" name="P"/><p:cNvPicPr/><p:nvPr/>
</p:nvPicPr><p:blipFill><a:blip r:link="rId%1"/><a:stretch><a:fillRect/></a:stretch></p:blipFill>
<p:spPr><a:xfrm><a:off x="%2" y="457200"/><a:ext cx="4000000" cy="4000000"/></a:xfrm>
<a:prstGeom prst="rect"/></p:spPr></p:pic>)")
                        .arg(i + 2)
                        .arg(457200 + i * 4400000);
        links += QString(R"(<Relationship Id="rId%1" Type="image" Target="%2"
 TargetMode="External"/>)")
                     .arg(i + 2)
                     .arg(pictureAddresses[i].toHtmlEscaped());
    }
    const QString part = R"(<Override PartName="/ppt/%1.xml"
 ContentType="application/vnd.openxmlformats-officedocument.presentationml.%2+xml"/>)";
    writeZip(
        path,
        {{"[Content_Types].xml",
          (R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>)" +
           part.arg("presentation", "presentation.main") + part.arg("slides/slide1", "slide") +
           part.arg("slideLayouts/slideLayout1", "slideLayout") +
           part.arg("slideMasters/slideMaster1", "slideMaster") + "</Types>")
              .toUtf8()},
         {"_rels/.rels",
          rels(R"(<Relationship Id="rId1" Type="officeDocument" Target="ppt/presentation.xml"/>)")},
         {"ppt/presentation.xml",
          QString(R"(<p:presentation %1><p:sldMasterIdLst><p:sldMasterId id="2147483648"
 r:id="rId1"/></p:sldMasterIdLst><p:sldIdLst><p:sldId id="256" r:id="rId2"/></p:sldIdLst>
<p:sldSz cx="9144000" cy="6858000"/><p:notesSz cx="6858000" cy="9144000"/></p:presentation>)")
              .arg(ns)
              .toUtf8()},
         {"ppt/_rels/presentation.xml.rels",
          rels(
              R"(<Relationship Id="rId1" Type="slideMaster" Target="slideMasters/slideMaster1.xml"/>
<Relationship Id="rId2" Type="slide" Target="slides/slide1.xml"/>)")},
         {"ppt/slideMasters/slideMaster1.xml",
          QString(R"(<p:sldMaster %1>%2<p:sldLayoutIdLst><p:sldLayoutId id="2147483649"
 r:id="rId1"/></p:sldLayoutIdLst></p:sldMaster>)")
              .arg(ns, tree.arg(""))
              .toUtf8()},
         {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
          rels(R"(<Relationship Id="rId1" Type="slideLayout"
 Target="../slideLayouts/slideLayout1.xml"/>)")},
         {"ppt/slideLayouts/slideLayout1.xml",
          QString("<p:sldLayout %1>%2</p:sldLayout>").arg(ns, tree.arg("")).toUtf8()},
         {"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
          rels(R"(<Relationship Id="rId1" Type="slideMaster"
 Target="../slideMasters/slideMaster1.xml"/>)")},
         {"ppt/slides/slide1.xml",
          QString("<p:sld %1>%2</p:sld>").arg(ns, tree.arg(pictures)).toUtf8()},
         {"ppt/slides/_rels/slide1.xml.rels", rels(R"(<Relationship Id="rId1" Type="slideLayout"
 Target="../slideLayouts/slideLayout1.xml"/>)" + links)}});
}

QByteArray HostileDecks::soundDeck(const QStringList& soundAddresses, const QString& slideName) {
    QString styles;
    QString slides;
    for (qsizetype i = 0; i < soundAddresses.size(); ++i) {
        styles += QString(R"(<style:style style:family="drawing-page" style:name="dp%1">
<style:drawing-page-properties presentation:transition-type="automatic" smil:type="fade">
<presentation:sound xlink:href="%2" xlink:type="simple" xlink:show="new"
 xlink:actuate="onRequest"/></style:drawing-page-properties></style:style>)")
                      .arg(i)
                      .arg(soundAddresses.at(i).toHtmlEscaped());
        slides += odpSlide({}, slideName, QStringLiteral("dp%1").arg(i));
    }
    return flatDocument("<office:automatic-styles>" + styles +
                        "</office:automatic-styles><office:body><office:presentation>" + slides +
                        "</office:presentation></office:body>");
}

QByteArray HostileDecks::memoryBomb() {
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPG");
    // The frame header's height and width; the scan stays 16 × 16, and a
    // decoder fills the rest in.
    const qsizetype frame = jpeg.indexOf("\xff\xc0");
    jpeg.replace(frame + 5, 4, bytes(30000, 2, true) + bytes(30000, 2, true));
    return flatDocument(odpBody(
        "<draw:frame svg:width=\"10cm\" svg:height=\"10cm\"><draw:image><office:binary-data>" +
            QString::fromLatin1(jpeg.toBase64()) +
            "</office:binary-data></draw:image></draw:frame>",
        "big"));
}

void HostileDecks::writeZip(const QString& path,
                            const QList<QPair<QByteArray, QByteArray>>& entries) {
    QByteArray archive;
    QByteArray directory;
    for (const auto& [name, data] : entries) {
        // Version 1.0, no flags, stored, a fixed date; sizes; no extra field.
        const QByteArray common = bytes(10, 2) + bytes(0, 6) + bytes(0x21, 2) +
                                  bytes(crc32(data), 4) + bytes(data.size(), 4).repeated(2) +
                                  bytes(name.size(), 2) + bytes(0, 2);
        directory += bytes(0x02014b50, 4) + bytes(20, 2) + common + bytes(0, 10) +
                     bytes(archive.size(), 4) + name;
        archive += bytes(0x04034b50, 4) + common + name + data;
    }
    archive += directory + bytes(0x06054b50, 4) + bytes(0, 4) +
               bytes(entries.size(), 2).repeated(2) + bytes(directory.size(), 4) +
               bytes(archive.size(), 4) + bytes(0, 2);
    PosixFiles::writeAll(path, archive);
}

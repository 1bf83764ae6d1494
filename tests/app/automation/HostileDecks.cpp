#include "HostileDecks.h"

#include "platform/PosixFiles.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <array>

namespace {

quint32 crc32(const QByteArray& data) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : data)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray be32(quint32 v) {
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray le(quint32 v, int bytes) {
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = char((v >> (8 * i)) & 0xFF);
    return out;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    return be32(quint32(data.size())) + type + data + be32(crc32(type + data));
}

const char kOdfNamespaces[] =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
    "office:version=\"1.3\"";

QByteArray escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

QByteArray odpBody(const QStringList& pictureAddresses) {
    QByteArray pictures;
    int x = 1;
    for (const QString& address : pictureAddresses) {
        pictures += "<draw:frame svg:x=\"" + QByteArray::number(x) +
                    "cm\" svg:y=\"1cm\" svg:width=\"12cm\" svg:height=\"12cm\"><draw:image "
                    "xlink:href=\"" +
                    escaped(address) +
                    "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>"
                    "</draw:frame>";
        x += 13;
    }
    return "<office:body><office:presentation><draw:page draw:name=\"" +
           escaped(QString::fromLatin1(HostileDecks::kSlideName)) + "\">" + pictures +
           "<draw:frame svg:x=\"1cm\" svg:y=\"14cm\" svg:width=\"24cm\" svg:height=\"3cm\">"
           "<draw:text-box><text:p>&lt;script&gt;alert(1)&lt;/script&gt; <text:a "
           "xlink:type=\"simple\" xlink:href=\"" +
           QByteArray(HostileDecks::kLinkAddress) +
           "\">click me</text:a></text:p></draw:text-box></draw:frame><presentation:notes>"
           "<draw:frame presentation:class=\"notes\" svg:x=\"2cm\" svg:y=\"14cm\" "
           "svg:width=\"17cm\" svg:height=\"10cm\"><draw:text-box><text:p>&lt;b "
           "onmouseover=alert(5)&gt;notes</text:p></draw:text-box></draw:frame>"
           "</presentation:notes></draw:page></office:presentation></office:body>";
}

} // namespace

QByteArray HostileDecks::solidPng(int width, int height, QRgb colour) {
    QByteArray rows;
    const char rgb[] = {char(qRed(colour)), char(qGreen(colour)), char(qBlue(colour))};
    const QByteArray pixel(rgb, 3);
    for (int y = 0; y < height; ++y)
        rows += '\0' + pixel.repeated(width);
    QByteArray header = be32(quint32(width)) + be32(quint32(height));
    header += QByteArray("\x08\x02\x00\x00\x00", 5);
    // qCompress gives the zlib stream PNG wants, after a length of its own.
    return QByteArray("\x89PNG\r\n\x1a\n") + chunk("IHDR", header) +
           chunk("IDAT", qCompress(rows).mid(4)) + chunk("IEND", {});
}

QByteArray HostileDecks::flatOdp(const QStringList& pictureAddresses) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document " +
           QByteArray(kOdfNamespaces) +
           " office:mimetype=\"application/vnd.oasis.opendocument.presentation\">" +
           odpBody(pictureAddresses) + "</office:document>";
}

void HostileDecks::writeOdp(const QString& path, const QStringList& pictureAddresses) {
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
                    {"content.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content " +
                         QByteArray(kOdfNamespaces) + ">" + odpBody(pictureAddresses) +
                         "</office:document-content>"},
                    {"META-INF/manifest.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
                     "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
                     "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" "
                     "manifest:media-type=\"application/vnd.oasis.opendocument.presentation\"/>"
                     "<manifest:file-entry manifest:full-path=\"content.xml\" "
                     "manifest:media-type=\"text/xml\"/></manifest:manifest>"}});
}

void HostileDecks::writePptx(const QString& path, const QStringList& pictureAddresses) {
    const QByteArray ns = "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships\" xmlns:p=\"http://schemas.openxmlformats.org/"
                          "presentationml/2006/main\"";
    const QByteArray type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const auto rels = [&](const QList<QList<QByteArray>>& items) {
        QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        for (const QList<QByteArray>& item : items)
            out += "<Relationship Id=\"" + item[0] + "\" Type=\"" + type + item[1] +
                   "\" Target=\"" + item[2] + "\"" +
                   (item.size() > 3 ? " TargetMode=\"External\"" : "") + "/>";
        return out + "</Relationships>";
    };
    const auto tree = [](const QByteArray& inner) {
        return "<p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/>"
               "<p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>" +
               inner + "</p:spTree></p:cSld>";
    };
    QByteArray pictures;
    QList<QList<QByteArray>> slideRels{{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}};
    for (int i = 0; i < pictureAddresses.size(); ++i) {
        const QByteArray id = "rId" + QByteArray::number(i + 2);
        slideRels.append({id, "image", escaped(pictureAddresses[i]), "External"});
        pictures += "<p:pic><p:nvPicPr><p:cNvPr id=\"" + QByteArray::number(i + 2) +
                    "\" name=\"Picture\"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr><p:blipFill><a:blip "
                    "r:link=\"" +
                    id +
                    "\"/><a:stretch><a:fillRect/></a:stretch></p:blipFill><p:spPr><a:xfrm>"
                    "<a:off x=\"" +
                    QByteArray::number(457200 + i * 4400000) +
                    "\" y=\"457200\"/><a:ext cx=\"4000000\" cy=\"4000000\"/></a:xfrm><a:prstGeom "
                    "prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr></p:pic>";
    }
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const QByteArray override = "<Override PartName=\"/ppt/";
    const QByteArray kind = "\" ContentType=\"application/vnd.openxmlformats-officedocument."
                            "presentationml.";
    writeZip(path,
             {{"[Content_Types].xml",
               xml +
                   "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                   "<Default Extension=\"rels\" ContentType=\"application/"
                   "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                   "ContentType=\"application/xml\"/>" +
                   override + "presentation.xml" + kind + "presentation.main+xml\"/>" + override +
                   "slides/slide1.xml" + kind + "slide+xml\"/>" + override +
                   "slideLayouts/slideLayout1.xml" + kind + "slideLayout+xml\"/>" + override +
                   "slideMasters/slideMaster1.xml" + kind + "slideMaster+xml\"/></Types>"},
              {"_rels/.rels", rels({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
              {"ppt/presentation.xml",
               xml + "<p:presentation " + ns +
                   "><p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rId1\"/>"
                   "</p:sldMasterIdLst><p:sldIdLst><p:sldId id=\"256\" r:id=\"rId2\"/></p:sldIdLst>"
                   "<p:sldSz cx=\"9144000\" cy=\"6858000\"/><p:notesSz cx=\"6858000\" "
                   "cy=\"9144000\"/></p:presentation>"},
              {"ppt/_rels/presentation.xml.rels",
               rels({{"rId1", "slideMaster", "slideMasters/slideMaster1.xml"},
                     {"rId2", "slide", "slides/slide1.xml"}})},
              {"ppt/slideMasters/slideMaster1.xml",
               xml + "<p:sldMaster " + ns + ">" + tree({}) +
                   "<p:sldLayoutIdLst><p:sldLayoutId id=\"2147483649\" r:id=\"rId1\"/>"
                   "</p:sldLayoutIdLst></p:sldMaster>"},
              {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
               rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
              {"ppt/slideLayouts/slideLayout1.xml",
               xml + "<p:sldLayout " + ns + ">" + tree({}) + "</p:sldLayout>"},
              {"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
               rels({{"rId1", "slideMaster", "../slideMasters/slideMaster1.xml"}})},
              {"ppt/slides/slide1.xml", xml + "<p:sld " + ns + ">" + tree(pictures) + "</p:sld>"},
              {"ppt/slides/_rels/slide1.xml.rels", rels(slideRels)}});
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
    if (frame < 0)
        return {};
    for (const int at : {5, 7}) {
        jpeg[frame + at] = char(30000 >> 8);
        jpeg[frame + at + 1] = char(30000 & 0xFF);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document " +
           QByteArray(kOdfNamespaces) +
           " office:mimetype=\"application/vnd.oasis.opendocument.presentation\"><office:body>"
           "<office:presentation><draw:page draw:name=\"big\"><draw:frame svg:x=\"1cm\" "
           "svg:y=\"1cm\" svg:width=\"10cm\" svg:height=\"10cm\"><draw:image>"
           "<office:binary-data>" +
           jpeg.toBase64() +
           "</office:binary-data></draw:image></draw:frame></draw:page></office:presentation>"
           "</office:body></office:document>";
}

void HostileDecks::writeZip(const QString& path,
                            const QList<QPair<QByteArray, QByteArray>>& entries) {
    QByteArray archive;
    QByteArray directory;
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(archive.size());
        const QByteArray common = le(10, 2) + le(0, 2) + le(0, 2) + le(0, 2) + le(0x21, 2) +
                                  le(crc32(data), 4) + le(quint32(data.size()), 4) +
                                  le(quint32(data.size()), 4) + le(quint32(name.size()), 2) +
                                  le(0, 2);
        archive += le(0x04034b50, 4) + common + name + data;
        directory += le(0x02014b50, 4) + le(20, 2) + common + le(0, 2) + le(0, 2) + le(0, 2) +
                     le(0, 4) + le(offset, 4) + name;
    }
    const quint32 start = quint32(archive.size());
    archive += directory + le(0x06054b50, 4) + le(0, 2) + le(0, 2) +
               le(quint32(entries.size()), 2) + le(quint32(entries.size()), 2) +
               le(quint32(directory.size()), 4) + le(start, 4) + le(0, 2);
    PosixFiles::writeAll(path, archive);
}

#include "shared/MimeTypes.h"

#include <mutex>

#include "shared/InputFile.h"

namespace zorv {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// One line of a list below, kept as constant data: a list of strings made at start-up would cost
// code for every line.
struct TMimeLine {
    const char* extension;
    const char* type;
};

// A general extension-to-type list. Twelve extensions appear twice; their first line counts.
constexpr TMimeLine BuiltInTable[] = {
    {".nml", "animation/narrative"},
    {".aac", "audio/mp4"},
    {".aif", "audio/x-aiff"},
    {".aifc", "audio/x-aiff"},
    {".aiff", "audio/x-aiff"},
    {".au", "audio/basic"},
    {".gsm", "audio/x-gsm"},
    {".kar", "audio/midi"},
    {".m3u", "audio/mpegurl"},
    {".m4a", "audio/mp4"},
    {".mid", "audio/midi"},
    {".midi", "audio/midi"},
    {".mpega", "audio/x-mpg"},
    {".mp2", "audio/x-mpg"},
    {".mp3", "audio/x-mpg"},
    {".mpga", "audio/x-mpg"},
    {".m3u", "audio/x-mpegurl"},
    {".pls", "audio/x-scpls"},
    {".qcp", "audio/vnd.qcelp"},
    {".ra", "audio/x-realaudio"},
    {".ram", "audio/x-pn-realaudio"},
    {".rm", "audio/x-pn-realaudio"},
    {".sd2", "audio/x-sd2"},
    {".sid", "audio/prs.sid"},
    {".snd", "audio/basic"},
    {".wav", "audio/x-wav"},
    {".wax", "audio/x-ms-wax"},
    {".wma", "audio/x-ms-wma"},
    {".mjf", "audio/x-vnd.audioexplosion.mjuicemediafile"},
    {".art", "image/x-jg"},
    {".bmp", "image/bmp"},
    {".cdr", "image/x-coreldraw"},
    {".cdt", "image/x-coreldrawtemplate"},
    {".cpt", "image/x-corelphotopaint"},
    {".djv", "image/vnd.djvu"},
    {".djvu", "image/vnd.djvu"},
    {".gif", "image/gif"},
    {".ief", "image/ief"},
    {".ico", "image/x-icon"},
    {".jng", "image/x-jng"},
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".jpe", "image/jpeg"},
    {".pat", "image/x-coreldrawpattern"},
    {".pcx", "image/pcx"},
    {".pbm", "image/x-portable-bitmap"},
    {".pgm", "image/x-portable-graymap"},
    {".pict", "image/x-pict"},
    {".png", "image/x-png"},
    {".pnm", "image/x-portable-anymap"},
    {".pntg", "image/x-macpaint"},
    {".ppm", "image/x-portable-pixmap"},
    {".psd", "image/x-psd"},
    {".qtif", "image/x-quicktime"},
    {".ras", "image/x-cmu-raster"},
    {".rf", "image/vnd.rn-realflash"},
    {".rgb", "image/x-rgb"},
    {".rp", "image/vnd.rn-realpix"},
    {".sgi", "image/x-sgi"},
    {".svg", "image/svg+xml"},
    {".svgz", "image/svg+xml"},
    {".targa", "image/x-targa"},
    {".tif", "image/tiff"},
    {".wbmp", "image/vnd.wap.wbmp"},
    {".webp", "image/webp"},
    {".xbm", "image/x-xbitmap"},
    {".xpm", "image/x-xpixmap"},
    {".xwd", "image/x-xwindowdump"},
    {".xbm", "image/x-xbm"},
    {".323", "text/h323"},
    {".xml", "text/xml"},
    {".uls", "text/iuls"},
    {".txt", "text/plain"},
    {".rtx", "text/richtext"},
    {".wsc", "text/scriptlet"},
    {".rt", "text/vnd.rn-realtext"},
    {".htt", "text/webviewhtml"},
    {".htc", "text/x-component"},
    {".vcf", "text/x-vcard"},
    {".asf", "video/x-ms-asf"},
    {".asx", "video/x-ms-asf"},
    {".avi", "video/x-msvideo"},
    {".dl", "video/dl"},
    {".dv", "video/dv"},
    {".flc", "video/flc"},
    {".fli", "video/fli"},
    {".gl", "video/gl"},
    {".lsf", "video/x-la-asf"},
    {".lsx", "video/x-la-asf"},
    {".mng", "video/x-mng"},
    {".mp4", "video/mpeg"},
    {".mpeg", "video/mpeg"},
    {".mpa", "video/mpeg"},
    {".mpe", "video/mpeg"},
    {".mpg", "video/mpeg"},
    {".ogv", "video/ogg"},
    {".moov", "video/quicktime"},
    {".mov", "video/quicktime"},
    {".mxu", "video/vnd.mpegurl"},
    {".qt", "video/quicktime"},
    {".qtc", "video/x-qtc"},
    {".rv", "video/vnd.rn-realvideo"},
    {".ivf", "video/x-ivf"},
    {".webm", "video/webm"},
    {".wm", "video/x-ms-wm"},
    {".wmp", "video/x-ms-wmp"},
    {".wmv", "video/x-ms-wmv"},
    {".wmx", "video/x-ms-wmx"},
    {".wvx", "video/x-ms-wvx"},
    {".rms", "video/vnd.rn-realvideo-secure"},
    {".asx", "video/x-ms-asf-plugin"},
    {".mp2", "video/mpeg"},
    {".mp3", "video/mpeg"},
    {".movie", "video/x-sgi-movie"},
    {".7z", "application/x-7z-compressed"},
    {".a", "application/x-archive"},
    {".aab", "application/x-authorware-bin"},
    {".aam", "application/x-authorware-map"},
    {".aas", "application/x-authorware-seg"},
    {".abw", "application/x-abiword"},
    {".ace", "application/x-ace-compressed"},
    {".ai", "application/postscript"},
    {".alz", "application/x-alz-compressed"},
    {".ani", "application/x-navi-animation"},
    {".arj", "application/x-arj"},
    {".asf", "application/vnd.ms-asf"},
    {".bat", "application/x-msdos-program"},
    {".bcpio", "application/x-bcpio"},
    {".boz", "application/x-bzip2"},
    {".bz", "application/x-bzip"},
    {".bz2", "application/x-bzip2"},
    {".cab", "application/vnd.ms-cab-compressed"},
    {".cat", "application/vnd.ms-pki.seccat"},
    {".ccn", "application/x-cnc"},
    {".cco", "application/x-cocoa"},
    {".cdf", "application/x-cdf"},
    {".cer", "application/x-x509-ca-cert"},
    {".chm", "application/vnd.ms-htmlhelp"},
    {".chrt", "application/vnd.kde.kchart"},
    {".cil", "application/vnd.ms-artgalry"},
    {".class", "application/java-vm"},
    {".com", "application/x-msdos-program"},
    {".clp", "application/x-msclip"},
    {".cpio", "application/x-cpio"},
    {".cpt", "application/mac-compactpro"},
    {".cqk", "application/x-calquick"},
    {".crd", "application/x-mscardfile"},
    {".crl", "application/pkix-crl"},
    {".csh", "application/x-csh"},
    {".dar", "application/x-dar"},
    {".dbf", "application/x-dbase"},
    {".dcr", "application/x-director"},
    {".deb", "application/x-debian-package"},
    {".dir", "application/x-director"},
    {".dist", "application/vnd.apple.installer+xml"},
    {".distz", "application/vnd.apple.installer+xml"},
    {".dll", "application/x-msdos-program"},
    {".dmg", "application/x-apple-diskimage"},
    {".doc", "application/msword"},
    {".dot", "application/msword"},
    {".dvi", "application/x-dvi"},
    {".dxr", "application/x-director"},
    {".ebk", "application/x-expandedbook"},
    {".eps", "application/postscript"},
    {".evy", "application/envoy"},
    {".exe", "application/x-msdos-program"},
    {".fdf", "application/vnd.fdf"},
    {".fif", "application/fractals"},
    {".flm", "application/vnd.kde.kivio"},
    {".fml", "application/x-file-mirror-list"},
    {".gzip", "application/x-gzip"},
    {".gnumeric", "application/x-gnumeric"},
    {".gtar", "application/x-gtar"},
    {".gz", "application/x-gzip"},
    {".hdf", "application/x-hdf"},
    {".hlp", "application/winhlp"},
    {".hpf", "application/x-icq-hpf"},
    {".hqx", "application/mac-binhex40"},
    {".hta", "application/hta"},
    {".ims", "application/vnd.ms-ims"},
    {".ins", "application/x-internet-signup"},
    {".iii", "application/x-iphone"},
    {".iso", "application/x-iso9660-image"},
    {".jar", "application/java-archive"},
    {".karbon", "application/vnd.kde.karbon"},
    {".kfo", "application/vnd.kde.kformula"},
    {".kon", "application/vnd.kde.kontour"},
    {".kpr", "application/vnd.kde.kpresenter"},
    {".kpt", "application/vnd.kde.kpresenter"},
    {".kwd", "application/vnd.kde.kword"},
    {".kwt", "application/vnd.kde.kword"},
    {".latex", "application/x-latex"},
    {".lha", "application/x-lzh"},
    {".lcc", "application/fastman"},
    {".lrm", "application/vnd.ms-lrm"},
    {".lz", "application/x-lzip"},
    {".lzh", "application/x-lzh"},
    {".lzma", "application/x-lzma"},
    {".lzo", "application/x-lzop"},
    {".lzx", "application/x-lzx"},
    {".m13", "application/x-msmediaview"},
    {".m14", "application/x-msmediaview"},
    {".mpp", "application/vnd.ms-project"},
    {".mvb", "application/x-msmediaview"},
    {".man", "application/x-troff-man"},
    {".mdb", "application/x-msaccess"},
    {".me", "application/x-troff-me"},
    {".ms", "application/x-troff-ms"},
    {".msi", "application/x-msi"},
    {".mpkg", "application/vnd.apple.installer+xml"},
    {".mny", "application/x-msmoney"},
    {".nix", "application/x-mix-transfer"},
    {".o", "application/x-object"},
    {".oda", "application/oda"},
    {".odb", "application/vnd.oasis.opendocument.database"},
    {".odc", "application/vnd.oasis.opendocument.chart"},
    {".odf", "application/vnd.oasis.opendocument.formula"},
    {".odg", "application/vnd.oasis.opendocument.graphics"},
    {".odi", "application/vnd.oasis.opendocument.image"},
    {".odm", "application/vnd.oasis.opendocument.text-master"},
    {".odp", "application/vnd.oasis.opendocument.presentation"},
    {".ods", "application/vnd.oasis.opendocument.spreadsheet"},
    {".ogg", "application/ogg"},
    {".odt", "application/vnd.oasis.opendocument.text"},
    {".otg", "application/vnd.oasis.opendocument.graphics-template"},
    {".oth", "application/vnd.oasis.opendocument.text-web"},
    {".otp", "application/vnd.oasis.opendocument.presentation-template"},
    {".ots", "application/vnd.oasis.opendocument.spreadsheet-template"},
    {".ott", "application/vnd.oasis.opendocument.text-template"},
    {".p10", "application/pkcs10"},
    {".p12", "application/x-pkcs12"},
    {".p7b", "application/x-pkcs7-certificates"},
    {".p7m", "application/pkcs7-mime"},
    {".p7r", "application/x-pkcs7-certreqresp"},
    {".p7s", "application/pkcs7-signature"},
    {".package", "application/vnd.autopackage"},
    {".pfr", "application/font-tdpfr"},
    {".pkg", "application/vnd.apple.installer+xml"},
    {".pdf", "application/pdf"},
    {".pko", "application/vnd.ms-pki.pko"},
    {".pl", "application/x-perl"},
    {".pnq", "application/x-icq-pnq"},
    {".pot", "application/mspowerpoint"},
    {".pps", "application/mspowerpoint"},
    {".ppt", "application/mspowerpoint"},
    {".ppz", "application/mspowerpoint"},
    {".ps", "application/postscript"},
    {".pub", "application/x-mspublisher"},
    {".qpw", "application/x-quattropro"},
    {".qtl", "application/x-quicktimeplayer"},
    {".rar", "application/x-rar-compressed"},
    {".rdf", "application/rdf+xml"},
    {".rjs", "application/vnd.rn-realsystem-rjs"},
    {".rm", "application/vnd.rn-realmedia"},
    {".rmf", "application/vnd.rmf"},
    {".rmp", "application/vnd.rn-rn_music_package"},
    {".rmx", "application/vnd.rn-realsystem-rmx"},
    {".rnx", "application/vnd.rn-realplayer"},
    {".rpm", "application/x-redhat-package-manager"},
    {".rsml", "application/vnd.rn-rsml"},
    {".rtsp", "application/x-rtsp"},
    {".rss", "application/rss+xml"},
    {".scm", "application/x-icq-scm"},
    {".ser", "application/java-serialized-object"},
    {".scd", "application/x-msschedule"},
    {".sda", "application/vnd.stardivision.draw"},
    {".sdc", "application/vnd.stardivision.calc"},
    {".sdd", "application/vnd.stardivision.impress"},
    {".sdp", "application/x-sdp"},
    {".setpay", "application/set-payment-initiation"},
    {".setreg", "application/set-registration-initiation"},
    {".sh", "application/x-sh"},
    {".shar", "application/x-shar"},
    {".shw", "application/presentations"},
    {".sit", "application/x-stuffit"},
    {".sitx", "application/x-stuffitx"},
    {".skd", "application/x-koan"},
    {".skm", "application/x-koan"},
    {".skp", "application/x-koan"},
    {".skt", "application/x-koan"},
    {".smf", "application/vnd.stardivision.math"},
    {".smi", "application/smil"},
    {".smil", "application/smil"},
    {".spl", "application/futuresplash"},
    {".ssm", "application/streamingmedia"},
    {".sst", "application/vnd.ms-pki.certstore"},
    {".stc", "application/vnd.sun.xml.calc.template"},
    {".std", "application/vnd.sun.xml.draw.template"},
    {".sti", "application/vnd.sun.xml.impress.template"},
    {".stl", "application/vnd.ms-pki.stl"},
    {".stw", "application/vnd.sun.xml.writer.template"},
    {".svi", "application/softvision"},
    {".sv4cpio", "application/x-sv4cpio"},
    {".sv4crc", "application/x-sv4crc"},
    {".swf", "application/x-shockwave-flash"},
    {".swf1", "application/x-shockwave-flash"},
    {".sxc", "application/vnd.sun.xml.calc"},
    {".sxi", "application/vnd.sun.xml.impress"},
    {".sxm", "application/vnd.sun.xml.math"},
    {".sxw", "application/vnd.sun.xml.writer"},
    {".sxg", "application/vnd.sun.xml.writer.global"},
    {".t", "application/x-troff"},
    {".tar", "application/x-tar"},
    {".tcl", "application/x-tcl"},
    {".tex", "application/x-tex"},
    {".texi", "application/x-texinfo"},
    {".texinfo", "application/x-texinfo"},
    {".tbz", "application/x-bzip-compressed-tar"},
    {".tbz2", "application/x-bzip-compressed-tar"},
    {".tgz", "application/x-compressed-tar"},
    {".tlz", "application/x-lzma-compressed-tar"},
    {".tr", "application/x-troff"},
    {".trm", "application/x-msterminal"},
    {".troff", "application/x-troff"},
    {".tsp", "application/dsptype"},
    {".torrent", "application/x-bittorrent"},
    {".ttz", "application/t-time"},
    {".txz", "application/x-xz-compressed-tar"},
    {".udeb", "application/x-debian-package"},
    {".uin", "application/x-icq"},
    {".urls", "application/x-url-list"},
    {".ustar", "application/x-ustar"},
    {".vcd", "application/x-cdlink"},
    {".vor", "application/vnd.stardivision.writer"},
    {".vsl", "application/x-cnet-vsl"},
    {".wcm", "application/vnd.ms-works"},
    {".wb1", "application/x-quattropro"},
    {".wb2", "application/x-quattropro"},
    {".wb3", "application/x-quattropro"},
    {".wdb", "application/vnd.ms-works"},
    {".wks", "application/vnd.ms-works"},
    {".wmd", "application/x-ms-wmd"},
    {".wms", "application/x-ms-wms"},
    {".wmz", "application/x-ms-wmz"},
    {".wp5", "application/wordperfect5.1"},
    {".wpd", "application/wordperfect"},
    {".wpl", "application/vnd.ms-wpl"},
    {".wps", "application/vnd.ms-works"},
    {".wri", "application/x-mswrite"},
    {".xfdf", "application/vnd.adobe.xfdf"},
    {".xls", "application/vnd.ms-excel"},
    {".xlb", "application/vnd.ms-excel"},
    {".xpi", "application/x-xpinstall"},
    {".xps", "application/vnd.ms-xpsdocument"},
    {".xsd", "application/vnd.sun.xml.draw"},
    {".xul", "application/vnd.mozilla.xul+xml"},
    {".z", "application/x-compress"},
    {".zoo", "application/x-zoo"},
    {".zip", "application/x-zip-compressed"},
    {".rdf", "application/xml"},
    {".rss", "application/xml"},
    {".xml", "application/xml"},
    {".wml", "text/vnd.wap.wml"},
    {".wmlc", "application/vnd.wap.wmlc"},
    {".wmls", "text/vnd.wap.wmlscript"},
    {".wmlsc", "application/vnd.wap.wmlscriptc"},
    {".wbmp", "image/vnd.wap.wbmp"},
    {".asm", "text/x-asm"},
    {".p", "text/x-pascal"},
    {".pas", "text/x-pascal"},
    {".cs", "text/x-csharp"},
    {".c", "text/x-csrc"},
    {".c++", "text/x-c++src"},
    {".cpp", "text/x-c++src"},
    {".cxx", "text/x-c++src"},
    {".cc", "text/x-c++src"},
    {".h", "text/x-chdr"},
    {".h++", "text/x-c++hdr"},
    {".hpp", "text/x-c++hdr"},
    {".hxx", "text/x-c++hdr"},
    {".hh", "text/x-c++hdr"},
    {".java", "text/x-java"},
    {".css", "text/css"},
    {".js", "text/javascript"},
    {".htm", "text/html"},
    {".html", "text/html"},
    {".xhtml", "application/xhtml+xml"},
    {".xht", "application/xhtml+xml"},
    {".ls", "text/javascript"},
    {".mocha", "text/javascript"},
    {".shtml", "text/html"},
    {".sgm", "text/sgml"},
    {".sgml", "text/sgml"},
    {".mht", "message/rfc822"},
};

// Without these a page's module scripts, WebAssembly and web fonts are refused or fail
// wherever the platform's table does not know them.
constexpr TMimeLine WebEssentialTable[] = {
    {".mjs", "text/javascript"}, {".json", "application/json"}, {".wasm", "application/wasm"}, {".woff", "font/woff"},
    {".woff2", "font/woff2"},    {".ttf", "font/ttf"},          {".otf", "font/otf"},
};

// The types of a page's own code and documents. A platform table that says otherwise (a registry
// with text/plain for .js is common) would make the browser refuse module scripts, style sheets
// or WebAssembly, so these are applied last and no platform mapping changes them.
constexpr TMimeLine OwnWebTable[] = {
    {".js", "text/javascript"}, {".mjs", "text/javascript"},   {".css", "text/css"},          {".html", "text/html"},
    {".htm", "text/html"},      {".json", "application/json"}, {".wasm", "application/wasm"}, {".svg", "image/svg+xml"},
};

template <std::size_t Count>
std::vector<TMimeMapping> MappingsOf(const TMimeLine (&lines)[Count]) {
    std::vector<TMimeMapping> mappings;
    mappings.reserve(Count);
    for (const TMimeLine& line : lines) mappings.push_back({line.extension, line.type});
    return mappings;
}

const std::vector<TMimeMapping> BuiltInList = MappingsOf(BuiltInTable);
const std::vector<TMimeMapping> WebEssentialList = MappingsOf(WebEssentialTable);
const std::vector<TMimeMapping> OwnWebList = MappingsOf(OwnWebTable);

bool IsMimeBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsMimeBlank(line[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && !IsMimeBlank(line[pos])) ++pos;
        if (pos > start) fields.push_back(line.substr(start, pos - start));
    }
    return fields;
}

}  // namespace

TMimeTypeTable::TMimeTypeTable() : TMimeTypeTable(std::vector<TMimeMapping>{}) {}

TMimeTypeTable::TMimeTypeTable(const std::vector<TMimeMapping>& platformMappings) {
    FTypes.reserve(BuiltInList.size() + WebEssentialList.size() + platformMappings.size() + OwnWebList.size());
    for (const auto& mapping : BuiltInList) Add(mapping, TOnDuplicate::KeepFirst);
    for (const auto& mapping : WebEssentialList) Add(mapping, TOnDuplicate::KeepFirst);
    for (const auto& mapping : platformMappings) Add(mapping, TOnDuplicate::Replace);
    for (const auto& mapping : OwnWebList) Add(mapping, TOnDuplicate::Replace);
}

void TMimeTypeTable::Add(const TMimeMapping& mapping, TOnDuplicate onDuplicate) {
    std::string extension = LowerAscii(mapping.extension);
    std::string type = LowerAscii(mapping.type);
    if (extension.empty() || extension == "." || type.empty()) return;
    if (extension.front() != '.') extension.insert(0, 1, '.');
    if (onDuplicate == TOnDuplicate::Replace) {
        FTypes[std::move(extension)] = std::move(type);
    } else {
        FTypes.try_emplace(std::move(extension), std::move(type));
    }
}

std::string TMimeTypeTable::ExtractExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    const std::string_view extension = fileName.substr(dot);
    if (extension.find_first_of("\\:") != std::string_view::npos) return {};
    return LowerAscii(extension);
}

std::string TMimeTypeTable::Lookup(std::string_view fileName) const {
    const std::string extension = ExtractExtension(fileName);
    if (extension.empty()) return DefaultType;
    const auto it = FTypes.find(extension);
    return it == FTypes.end() ? std::string(DefaultType) : it->second;
}

const std::vector<TMimeMapping>& TMimeTypeTable::BuiltInLines() { return BuiltInList; }

const std::vector<TMimeMapping>& TMimeTypeTable::WebEssentialLines() { return WebEssentialList; }

std::vector<TMimeMapping> TMimeTypeTable::ParseMimeTypesFile(std::string_view text) {
    std::vector<TMimeMapping> mappings;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto fields = SplitFields(line);
        for (std::size_t i = 1; i < fields.size(); ++i) {
            mappings.push_back({std::string(fields[i]), std::string(fields[0])});
        }
    }
    return mappings;
}

namespace {

// /etc/mime.types is under a hundred kilobytes; the bound only keeps a wrong file out.
constexpr std::size_t MaxMimeTypesFileSize = 16u << 20;

// The process's table; replaced whole, so readers never see a half-built one.
struct TProcessTable {
    std::mutex lock;
    std::shared_ptr<const TMimeTypeTable> table = std::make_shared<const TMimeTypeTable>();
};

TProcessTable& ProcessTable() {
    static TProcessTable instance;
    return instance;
}

std::shared_ptr<const TMimeTypeTable> CurrentTable() {
    auto& process = ProcessTable();
    std::lock_guard guard(process.lock);
    return process.table;
}

}  // namespace

std::string TMimeTypes::GetFileMIMEType(std::string_view fileName) { return CurrentTable()->Lookup(fileName); }

void TMimeTypes::InstallPlatformMappings(const std::vector<TMimeMapping>& platformMappings) {
    auto table = std::make_shared<const TMimeTypeTable>(platformMappings);
    auto& process = ProcessTable();
    std::lock_guard guard(process.lock);
    process.table = std::move(table);
}

std::vector<TMimeMapping> TMimeTypes::ReadMimeTypesFile(const std::string& path) {
    TResult<std::string> text = ReadWholeFile(path, MaxMimeTypesFileSize);
    if (!text) return {};
    return TMimeTypeTable::ParseMimeTypesFile(text.Value());
}

}  // namespace zorv

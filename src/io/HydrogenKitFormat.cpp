#include "io/HydrogenKitFormat.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "document/Exporter.h"
#include "io/SamplerExport.h"
#include "io/TarGzArchive.h"
#include "platform/DiskKitUtils.h"
#include "tambor/Media.h"

namespace NSZubrik {

namespace {

const std::vector<int32_t> kRates = {11025, 22050, 32000, 44100, 48000, 88200, 96000};

constexpr size_t kMaxKitName = 60;

std::string XmlText(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Element(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + XmlText(value) + "</" + name + ">";
}

std::string Instrument(int32_t id, const std::string& file, int32_t note)
{
    const std::string number = file.substr(0, file.find('.'));
    std::string xml = "  <instrument>\n   " + Element("id", std::to_string(id)) + Element("name", number) +
                      "<volume>1</volume><isMuted>false</isMuted><isSoloed>false</isSoloed>\n"
                      "   <pan_L>1</pan_L><pan_R>1</pan_R><pitchOffset>0</pitchOffset>"
                      "<randomPitchFactor>0</randomPitchFactor><gain>1</gain>\n"
                      "   <applyVelocity>true</applyVelocity><filterActive>false</filterActive>"
                      "<filterCutoff>1</filterCutoff><filterResonance>0</filterResonance>\n"
                      "   <Attack>0</Attack><Decay>0</Decay><Sustain>1</Sustain><Release>1000</Release>"
                      "<muteGroup>-1</muteGroup>\n   <midiOutChannel>-1</midiOutChannel>" +
                      Element("midiOutNote", std::to_string(note)) +
                      "<isStopNote>false</isStopNote>\n"
                      "   <sampleSelectionAlgo>VELOCITY</sampleSelectionAlgo><isHihat>-1</isHihat>"
                      "<lower_cc>0</lower_cc><higher_cc>127</higher_cc>\n"
                      "   <instrumentComponent><component_id>0</component_id><gain>1</gain>\n"
                      "    <layer>" +
                      Element("filename", file) +
                      "<min>0</min><max>1</max><gain>1</gain><pitch>0</pitch></layer>\n"
                      "   </instrumentComponent>\n  </instrument>\n";
    return xml;
}

TArchiveBytes ReadWhole(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw XRead();
    return TArchiveBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder that is removed with everything in it when the export ends,
// however it ends.
class CScratchFolder {
public:
    explicit CScratchFolder(std::filesystem::path path) : fPath(std::move(path))
    {
        std::error_code error;
        std::filesystem::remove_all(fPath, error);
        if (!std::filesystem::create_directories(fPath, error) || error)
            throw XCreateFailed();
    }
    ~CScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(fPath, error);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::filesystem::path& Get() const { return fPath; }

private:
    std::filesystem::path fPath;
};

} // namespace

std::string HydrogenKitXml(const std::string& kitName, const std::vector<std::string>& sampleFiles,
                           uint8_t firstKey)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<drumkit_info xmlns=\"http://www.hydrogen-music.org/drumkit\">\n " +
                      Element("name", kitName) + "\n " + Element("author", "Zubrik") + "\n " +
                      Element("info", "Slices of " + kitName + ", one instrument per slice") +
                      "\n <license>undefined license</license>\n <image></image>\n"
                      " <imageLicense>undefined license</imageLicense>\n"
                      " <componentList>\n  <drumkitComponent><id>0</id><name>Main</name><volume>1</volume>"
                      "</drumkitComponent>\n </componentList>\n <instrumentList>\n";
    for (size_t i = 0; i < sampleFiles.size(); ++i)
        xml += Instrument(int32_t(i), sampleFiles[i], firstKey + int32_t(i));
    return xml + " </instrumentList>\n</drumkit_info>\n";
}

CHydrogenKitFormat::CHydrogenKitFormat()
    : CABCExportFileFormat(kRates, {16, 24}, true, true, kFirstKey, kMaxSlices, true)
{
}

std::string CHydrogenKitFormat::KitName(const std::u16string& documentName)
{
    std::string name = SamplerEightBitName(std::filesystem::path(documentName).stem().u16string());
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (name.size() > kMaxKitName)
        name.resize(kMaxKitName);
    return name.empty() || name == "." || name == ".." ? "Zubrik kit" : name;
}

void CHydrogenKitFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                                ILengthyProgress& progress)
{
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    const std::string kit = KitName(exporter.GetName());
    const CScratchFolder scratch(destination.parent_path() / ("." + destination.filename().string() + ".parts"));

    std::vector<std::string> names;
    std::vector<SSamplerSampleFile> samples;
    for (int32_t piece = 0; piece < count; ++piece) {
        char name[32];
        std::snprintf(name, sizeof name, "slice_%03d.wav", static_cast<int>(piece + 1));
        names.push_back(name);
        samples.push_back({scratch.Get() / names.back(), static_cast<uint8_t>(kFirstKey + piece)});
    }
    WriteSamplerSampleFiles(exporter, samples, fBitDepth, {NSAlerts::kInstrumentSliceFailed}, progress);

    CTarGzArchive archive;
    archive.AddFolder(kit);
    const std::string xml = HydrogenKitXml(kit, names, kFirstKey);
    archive.AddFile(kit + "/drumkit.xml", TArchiveBytes(xml.begin(), xml.end()));
    for (size_t i = 0; i < names.size(); ++i)
        // A sample whose file failed was reported already; the kit goes
        // without it.
        if (std::filesystem::exists(samples[i].fFile))
            archive.AddFile(kit + "/" + names[i], ReadWhole(samples[i].fFile));
    const TArchiveBytes bytes = archive.Finish();
    NSDiskKitUtils::CSafeFileWriter writer(destination, NSDiskKitUtils::MakeFourCC("TGZ "));
    NSTambor::WriteBytes(writer.GetMedia(), static_cast<int32_t>(bytes.size()), bytes.data());
    writer.Commit();
}

} // namespace NSZubrik

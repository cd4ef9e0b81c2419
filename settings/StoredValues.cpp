#include "StoredValues.h"

#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"

namespace tavora::stored {
namespace {

std::optional<int> Present(int value) {
    if (value == kMissingDword) return std::nullopt;
    return value;
}

const char* const kSkinNameValue = "SelectSkinName";
const char* const kPresetValue = "mod";
const char* const kHomePageValue = "HomePage";

}  // namespace

WindowEdges ReadWindowEdges(std::string_view prefix) {
    const std::string p(prefix);
    return {Present(ReadRegDword(keys::kSize, p + "Left")), Present(ReadRegDword(keys::kSize, p + "Top")),
            Present(ReadRegDword(keys::kSize, p + "Right")), Present(ReadRegDword(keys::kSize, p + "Bottom"))};
}

void WriteWindowEdges(std::string_view prefix, int left, int top, int width, int height) {
    const WindowPlace place{prefix, left, top, width, height};
    WriteWindowPlaces({&place, 1});
}

void WriteWindowPlaces(std::span<const WindowPlace> places) {
    RegistryBatch batch;
    for (const WindowPlace& w : places) {
        const std::string p(w.prefix);
        WriteRegDword(keys::kSize, p + "Left", w.left);
        WriteRegDword(keys::kSize, p + "Top", w.top);
        WriteRegDword(keys::kSize, p + "Right", w.left + w.width);
        WriteRegDword(keys::kSize, p + "Bottom", w.top + w.height);
    }
}

void ForgetWindowPlaces() { DeleteRegKey(keys::kSize); }

std::vector<std::optional<int>> ReadEqualizerBands(int count) {
    std::vector<std::optional<int>> bands;
    for (int band = 0; band < count; ++band)
        bands.push_back(Present(ReadRegDword(keys::kEqualizerPreset, std::to_string(band + 1))));
    return bands;
}

std::optional<int> ReadEqualizerPreset() { return Present(ReadRegDword(keys::kEqualizerPreset, kPresetValue)); }

void WriteEqualizer(int preset, std::span<const int> bands, int masterNumber, int master) {
    WriteRegDword(keys::kEqualizerPreset, kPresetValue, preset);
    for (size_t band = 0; band < bands.size(); ++band)
        WriteRegDword(keys::kEqualizerPreset, std::to_string(band + 1), bands[band]);
    WriteRegDword(keys::kEqualizerPreset, std::to_string(masterNumber), master);
}

std::string ReadSkinName(std::string_view fallback) { return ReadRegStringOr(keys::kSkin, kSkinNameValue, fallback); }
void WriteSkinName(std::string_view name) { WriteRegString(keys::kSkin, kSkinNameValue, name); }

void ResetHandOffCount() { WriteRegDword(keys::kOutFile, keys::kCount, 0); }

std::optional<int> StoreHandOffArgument(std::string_view text) {
    RegistryBatch batch;
    const std::optional<int> number = IncrementRegDword(keys::kOutFile, keys::kCount);
    if (number) WriteRegString(keys::kOutFile, std::to_string(*number), text);
    if (!batch.Commit()) return std::nullopt;
    return number;
}

std::string ReadHandOffArgument(int number) {
    const auto value = store::GetValue(store::Hive::LocalMachine, keys::kOutFile, std::to_string(number));
    if (!value || value->type != store::ValueType::String) return kMissingString;
    return value->text;
}

uint32_t ReadBandWindow() {
    const int stored = ReadRegDword(keys::kRoot, keys::kHandle);
    return stored == kMissingDword ? 0 : static_cast<uint32_t>(stored);
}

void WriteBandWindow(uint32_t window) { WriteRegDword(keys::kRoot, keys::kHandle, static_cast<int>(window)); }

std::string ReadUpdateServer(std::string_view fallback) {
    return ReadRegStringOr(keys::kRoot, keys::kUpdateServer, fallback);
}

std::string ReadHomePage(std::string_view fallback) { return ReadRegStringOr(keys::kRoot, kHomePageValue, fallback); }

void ClearUpdateCheck() { WriteRegDword(keys::kRoot, keys::kUpdateCheck, 0); }

void SetRepairDamagedStore(bool repair) { store::SetRepairCorruptStore(repair); }
std::string StoreStartupNotice() { return store::StoreStartupNotice(); }
std::string StoreFilePath() { return store::DatabasePath(); }
std::string StoreProblem() { return store::CheckStore().detail; }

}  // namespace tavora::stored

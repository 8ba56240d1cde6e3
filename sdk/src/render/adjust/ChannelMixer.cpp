#include "render/adjust/ChannelMixer.h"

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

void ChannelMixer::Pixel(uint8_t* rgb) const
{
    const int in[3] = {rgb[0], rgb[1], rgb[2]};
    double out[3];
    for (int channel = 0; channel < 3; ++channel) {
        const int row = settings_.monochrome ? 0 : channel;
        double sum = 0;
        for (int i = 0; i < 3; ++i)
            sum += settings_.weights[row][i] * in[i];
        out[channel] = sum / 100 + settings_.constant[row] * 255.0 / 100;
    }
    for (int channel = 0; channel < 3; ++channel)
        rgb[channel] = ToLevel(out[channel]);
}

ChannelMixerSettings ReadChannelMixerSettings(const std::vector<uint8_t>& block, bool gray)
{
    SettingsBytes bytes(block);
    ChannelMixerSettings settings;
    bytes.U16();  // the version
    settings.monochrome = bytes.U16() != 0;
    const int records = gray || settings.monochrome ? 1 : 3;
    for (int row = 0; row < records; ++row) {
        int values[5];
        for (int& value : values)
            value = bytes.S16();
        if (gray) {
            // The gray channel's own weight; the document has no other channel to take in.
            for (int channel = 0; channel < 3; ++channel) {
                for (int i = 0; i < 3; ++i)
                    settings.weights[channel][i] = i == channel ? values[0] : 0;
                settings.constant[channel] = values[4];
            }
            break;
        }
        for (int i = 0; i < 3; ++i)
            settings.weights[row][i] = values[i];
        settings.constant[row] = values[4];
    }
    return settings;
}

}  // namespace render
}  // namespace sdk

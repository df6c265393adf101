#include "probe_server.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/eval.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "adapter_common/ferrox_arguments.h"
#include "engine/probe_protocol.h"
#include "platform/local_server.h"

namespace quillon::ferrox {

namespace {

// Reads one NUL-terminated string; false at end of input.
bool ReadString(std::string& out) {
    out.clear();
    for (;;) {
        const int c = std::getc(stdin);
        if (c == EOF) return false;
        if (c == '\0') return true;
        out.push_back(static_cast<char>(c));
    }
}

struct Request {
    std::string format;
    std::string path;
    bool hasPath = false;
    AVDictionary* options = nullptr;
    std::string sampleRate;
    std::string channels;
};

void SetNumber(AVDictionary** dict, const char* key, const std::string& text) {
    // The engine's own number rule: "8k" is 8000.
    const double value = av_strtod(text.c_str(), nullptr);
    av_dict_set_int(dict, key, static_cast<int64_t>(value), 0);
}

// Input options as the engine's command line maps them onto the demuxer.
void ReadOptions(const std::vector<std::string>& args, Request& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-i" && hasValue) {
            request.path = args[++i];
            request.hasPath = true;
        } else if (a == "-f" && hasValue) {
            request.format = args[++i];
        } else if (a == "-ar" && hasValue) {
            request.sampleRate = args[++i];
        } else if (a == "-ac" && hasValue) {
            request.channels = args[++i];
        } else if ((a == "-r" || a == "-framerate") && hasValue) {
            av_dict_set(&request.options, "framerate", args[++i].c_str(), 0);
        } else if (a == "-s" && hasValue) {
            av_dict_set(&request.options, "video_size", args[++i].c_str(), 0);
        } else if (a == "-pix_fmt" && hasValue) {
            av_dict_set(&request.options, "pixel_format", args[++i].c_str(), 0);
        } else if (a.size() > 1 && a[0] == '-' && hasValue) {
            av_dict_set(&request.options, a.c_str() + 1, args[++i].c_str(), 0);
        }
    }
}

void PrintError(const std::string& path, int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof text) < 0) std::snprintf(text, sizeof text, "Error number %d", error);
    av_log(nullptr, AV_LOG_ERROR, "%s: %s\n", path.c_str(), text);
}

// The engine gives an audio stream of unknown layout the usual one for its channel count
// before it prints the input, so "mono" shows where "1 channels" would.
void GuessChannelLayouts(AVFormatContext& context) {
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        AVCodecParameters* par = context.streams[i]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_AUDIO || par->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) continue;
        const int channels = par->ch_layout.nb_channels;
        AVChannelLayout guessed{};
        av_channel_layout_default(&guessed, channels);
        if (guessed.order == AV_CHANNEL_ORDER_UNSPEC) continue;
        av_channel_layout_uninit(&par->ch_layout);
        par->ch_layout = guessed;
        char name[256] = {};
        av_channel_layout_describe(&par->ch_layout, name, sizeof name);
        av_log(nullptr, AV_LOG_WARNING, "Guessed Channel Layout for Input Stream #0.%u : %s\n", i, name);
    }
}

// What the engine does for "-i PATH" up to its dump of the input. Returns the exit status the
// engine would have had (1 when it gives up on the input, 0 when it dumps it).
int ProbeOne(Request& request) {
    if (!request.hasPath) {
        av_log(nullptr, AV_LOG_FATAL, "No input file given\n");
        return 1;
    }
    const AVInputFormat* format = nullptr;
    if (!request.format.empty()) {
        format = av_find_input_format(request.format.c_str());
        if (!format) {
            av_log(nullptr, AV_LOG_FATAL, "Unknown input format: '%s'\n", request.format.c_str());
            return 1;
        }
    }
    if (!request.sampleRate.empty()) SetNumber(&request.options, "sample_rate", request.sampleRate);
    if (!request.channels.empty() && format && format->priv_class) {
        const AVClass* priv = format->priv_class;
        if (av_opt_find(&priv, "ch_layout", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ)) {
            const std::string layout =
                std::to_string(static_cast<int>(av_strtod(request.channels.c_str(), nullptr))) + "C";
            av_dict_set(&request.options, "ch_layout", layout.c_str(), 0);
        }
    }
    const bool scanSet = av_dict_get(request.options, "scan_all_pmts", nullptr, AV_DICT_MATCH_CASE) != nullptr;
    if (!scanSet) av_dict_set(&request.options, "scan_all_pmts", "1", AV_DICT_DONT_OVERWRITE);

    AVFormatContext* context = avformat_alloc_context();
    if (!context) {
        PrintError(request.path, AVERROR(ENOMEM));
        return 1;
    }
    int rc = avformat_open_input(&context, request.path.c_str(), format, &request.options);
    if (rc < 0) {
        PrintError(request.path, rc);
        return 1;
    }
    if (!scanSet) av_dict_set(&request.options, "scan_all_pmts", nullptr, AV_DICT_MATCH_CASE);
    if (const AVDictionaryEntry* left = av_dict_get(request.options, "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        av_log(nullptr, AV_LOG_FATAL, "Option %s not found.\n", left->key);
        avformat_close_input(&context);
        return 1;
    }
    rc = avformat_find_stream_info(context, nullptr);
    if (rc < 0) {
        av_log(nullptr, AV_LOG_FATAL, "%s: could not find codec parameters\n", request.path.c_str());
        if (context->nb_streams == 0) {
            avformat_close_input(&context);
            return 1;
        }
    }
    GuessChannelLayouts(*context);
    av_dump_format(context, 0, request.path.c_str(), 0);
    avformat_close_input(&context);
    // A probe alone never has an output, which the engine reports last.
    av_log(nullptr, AV_LOG_FATAL, "At least one output file must be specified\n");
    return 1;
}

}  // namespace

int RunProbeServer(platform::ConnectionGuard* guard) {
    av_log_set_level(AV_LOG_INFO);
    std::string token;
    while (ReadString(token)) {
        std::vector<std::string> args;
        std::string arg;
        bool complete = false;
        while (ReadString(arg)) {
            if (arg.empty()) {
                complete = true;
                break;
            }
            args.push_back(arg);
        }
        if (!complete) break;
        if (guard && !guard->BeginWork()) break;
        Request request;
        ReadOptions(engine::TranslateFerroxArguments(std::move(args)), request);
        const int status = ProbeOne(request);
        av_dict_free(&request.options);
        std::fprintf(stderr, "\n%s%s %d\n", engine::kProbeEndMarker, token.c_str(), status);
        std::fflush(stderr);
        if (guard) guard->EndWork();
    }
    return 0;
}

int RunSharedProbeServer(const std::string& name, int idleSeconds) {
    platform::LocalListener listener;
    switch (listener.Listen(name)) {
    case platform::LocalListener::Result::Taken: return 0;
    case platform::LocalListener::Result::Failed: return 1;
    case platform::LocalListener::Result::Listening: break;
    }
    if (!platform::DetachAsServer()) return 1;
    return listener.ServeConnections(std::clamp(idleSeconds, 1, 24 * 3600) * 1000,
                                     [](platform::ConnectionGuard& guard) { RunProbeServer(&guard); });
}

}  // namespace quillon::ferrox

// The output format catalogue as data: value lists, codec descriptors and one row per format,
// in catalogue order. Frame rates are the doubles 23.97 and 29.97 on purpose.
#include "formats/catalogue_rows.h"

namespace quillon::formats::detail {
namespace {

// clang-format off
// Video value lists
constexpr FrameSize S1[] = {{128, 96}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {704, 576}, {720, 480}, {720, 576}, {800, 480}, {800, 600}, {960, 540}, {1024, 576}, {1024, 768}, {1280, 720}, {1280, 1024}, {1366, 768}, {1408, 1152}, {1440, 900}, {1600, 900}, {1600, 1200}, {1920, 1080}, {1920, 1200}, {2048, 1152}, {2560, 1440}, {3200, 1800}, {3840, 2160}, {4096, 2304}, {0, 0}};
constexpr FrameSize S2[] = {{128, 96}, {176, 144}, {240, 160}, {320, 240}, {352, 288}, {480, 320}, {640, 360}, {640, 480}, {704, 576}, {720, 480}, {800, 480}, {800, 600}, {960, 540}, {1024, 576}, {1024, 768}, {1280, 720}, {1280, 1024}, {1366, 768}, {1408, 1152}, {1440, 900}, {1600, 900}, {1600, 1200}, {1920, 1080}, {0, 0}};
constexpr FrameSize S3[] = {{240, 160}, {320, 240}, {480, 320}, {640, 360}, {640, 480}, {0, 0}};
constexpr FrameSize S4[] = {{-1, -1}, {176, 144}, {352, 288}, {0, 0}};
constexpr FrameSize S5[] = {{-1, -1}, {128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}, {0, 0}};
constexpr FrameSize S6[] = {{-1, -1}, {720, 480}, {720, 576}, {0, 0}};
constexpr FrameSize S7[] = {{-1, -1}, {352, 240}, {352, 288}, {0, 0}};
constexpr int32_t VB1[] = {96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000, 512000, 640000, 768000, 800000, 900000, 1000000, 1200000, 1500000, 1800000, 2000000, 2200000, 2500000, 2800000, 3000000, 3500000, 4000000, 5000000, 6000000, 7000000, 8000000, 9000000, 10000000, 12000000, 15000000, 18000000, 20000000, -1};
constexpr int32_t VB2[] = {1150000, -1};
constexpr double FR1[] = {5.0, 8.0, 10.0, 12.0, 15.0, 20.0, 23.97, 24.0, 25.0, 29.97, 30.0, 50.0, 60.0, -1.0};
constexpr double FR2[] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.8, 1.0, 2.0, 3.0, 4.0, 5.0, 8.0, 10.0, 12.0, 15.0, 20.0, 23.97, 24.0, 25.0, 29.97, 30.0, 50.0, 60.0, -1.0};
constexpr double FR3[] = {8.0, 10.0, 11.0, 12.0, 15.0, 20.0, 23.97, 24.0, 25.0, 29.97, 30.0, -1.0};
constexpr double FR4[] = {25.0, 29.97, -1.0};
constexpr double FR5[] = {23.97, 25.0, 29.97, -1.0};

// Audio value lists
constexpr int32_t R1[] = {7000, -1};
constexpr int32_t R2[] = {8000, -1};
constexpr int32_t R3[] = {16000, -1};
constexpr int32_t R4[] = {44100, -1};
constexpr int32_t R5[] = {48000, -1};
constexpr int32_t R6[] = {8000, 16000, 32000, -1};
constexpr int32_t R7[] = {11025, 22050, 44100, -1};
constexpr int32_t R8[] = {32000, 44100, 48000, -1};
constexpr int32_t R9[] = {4000, 8000, 11025, 22050, 44100, -1};
constexpr int32_t R10[] = {8000, 12000, 16000, 24000, 48000, -1};
constexpr int32_t R11[] = {16000, 22050, 24000, 32000, 44100, 48000, -1};
constexpr int32_t R12[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, -1};
constexpr int32_t R13[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, -1};
constexpr int32_t R14[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000, -1};
constexpr int32_t R15[] = {8000, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000, 176400, 192000, -1};
constexpr int32_t R16[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000, 176400, 192000, -1};
constexpr int32_t R17[] = {6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000, 176400, 192000, -1};
constexpr int32_t B1[] = {6300, -1};
constexpr int32_t B2[] = {13000, -1};
constexpr int32_t B3[] = {0, 1, 2, -1};
constexpr int32_t B4[] = {2, 3, 4, 5, -1};
constexpr int32_t B5[] = {0, 1, 2, 3, 4, -1};
constexpr int32_t B6[] = {96000, 112000, 128000, 144000, 160000, 192000, -1};
constexpr int32_t B7[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200, -1};
constexpr int32_t B8[] = {6600, 8850, 12650, 14250, 15850, 18250, 19850, 23050, 23850, -1};
constexpr int32_t B9[] = {2000, 4000, 7000, 9000, 11000, 14000, 18000, 22000, 25000, 29000, 36000, 44000, -1};
constexpr int32_t B10[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -1};
constexpr int32_t B11[] = {8000, 12000, 16000, 20000, 32000, 40000, 48000, 64000, 80000, 96000, 128000, 160000, 192000, 256000, 320000, 384000, 440000, -1};
constexpr int32_t B12[] = {8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, -1};
constexpr int32_t B13[] = {32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, 576000, 640000, -1};
constexpr int32_t B14[] = {8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, 400000, 480000, -1};
constexpr int32_t B15[] = {16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, -1};
constexpr int32_t B16[] = {6000, 8000, 12000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000, -1};

// Video codec descriptors, the tables' keys with "#n" written as "_n": Name, Label, FrameSizes, BitRates, QualityHigh, QualityLow, FrameRates
constexpr VideoCodecInfo V_dvvideo{"dvvideo", "DV Video", S6, nullptr, -1, -1, FR4};
constexpr VideoCodecInfo V_flv{"flv", "Flash Video", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_h261{"h261", "H.261", S4, VB1, 2, 31, FR3};
constexpr VideoCodecInfo V_h263{"h263", "H.263", S5, VB1, 2, 31, FR3};
constexpr VideoCodecInfo V_h263p{"h263p", "H.263+", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_huffyuv{"huffyuv", "HuffYUV", S1, nullptr, -1, -1, FR1};
constexpr VideoCodecInfo V_libtheora{"libtheora", "Theora", S1, VB1, 10, 0, FR1};
constexpr VideoCodecInfo V_libtheora_2{"libtheora", "Theora", S1, nullptr, 10, 1, FR1};
constexpr VideoCodecInfo V_libx265{"libx265", "H.265 HEVC", S1, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_libx264{"libx264", "H.264 AVC (High Profile)", S1, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_h264mp{"h264mp", "H.264 AVC (Main Profile)", S1, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_h264bp{"h264bp", "H.264 AVC (Baseline Profile)", S1, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_libx264_2{"libx264", "H.264 AVC (High Profile)", S2, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_h264mp_2{"h264mp", "H.264 AVC (Main Profile)", S2, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_h264bp_2{"h264bp", "H.264 AVC (Baseline Profile)", S2, VB1, 0, 51, FR1};
constexpr VideoCodecInfo V_libxvid{"libxvid", "Xvid", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_mjpeg{"mjpeg", "Motion JPEG", S1, nullptr, 2, 31, FR1};
constexpr VideoCodecInfo V_mpeg1video{"mpeg1video", "MPEG-1", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_mpeg1video_2{"mpeg1video", "MPEG-1", S7, VB2, -1, -1, FR5};
constexpr VideoCodecInfo V_mpeg2video{"mpeg2video", "MPEG-2", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_libschroedinger{"libschroedinger", "Dirac", S1, VB1, 31, 2, FR1};
constexpr VideoCodecInfo V_snow{"snow", "Snow", S1, VB1, 1, 31, FR1};
constexpr VideoCodecInfo V_mpeg2video_2{"mpeg2video", "MPEG-2", S6, VB1, 2, 31, FR4};
constexpr VideoCodecInfo V_prores_ks{"prores_ks", "Apple ProRes", S1, nullptr, 1, 64, FR1};
constexpr VideoCodecInfo V_mpeg4{"mpeg4", "MPEG-4", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_mpeg4_2{"mpeg4", "MPEG-4", S2, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_mpeg4_3{"mpeg4", "MPEG-4", S3, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_msmpeg4{"msmpeg4", "MPEG-4 Microsoft Variant Version 3", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_msmpeg4v2{"msmpeg4v2", "MPEG-4 Microsoft Variant Version 2", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_rawvideo{"rawvideo", "Raw Video", S1, nullptr, -1, -1, FR1};
constexpr VideoCodecInfo V_rv10{"rv10", "RealVideo 1.0", S1, VB1, -1, -1, FR1};
constexpr VideoCodecInfo V_rv20{"rv20", "RealVideo 2.0", S1, VB1, -1, -1, FR1};
constexpr VideoCodecInfo V_svq1{"svq1", "Sorenson Vector Quantizer 1", S1, nullptr, 1, 31, FR1};
constexpr VideoCodecInfo V_msvideo1{"msvideo1", "Microsoft Video-1", S1, nullptr, -1, -1, FR1};
constexpr VideoCodecInfo V_wmv1{"wmv1", "Windows Media Video 7", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_wmv2{"wmv2", "Windows Media Video 8", S1, VB1, 2, 31, FR1};
constexpr VideoCodecInfo V_zlib{"zlib", "ZLIB", S1, nullptr, -1, -1, FR1};
constexpr VideoCodecInfo V_libvpx{"libvpx", "VP8", S1, VB1, 0, 63, FR1};
constexpr VideoCodecInfo V_libvpx_vp9{"libvpx-vp9", "VP9", S1, VB1, 0, 63, FR1};
constexpr VideoCodecInfo V_png{"png", "PNG Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_tiff{"tiff", "TIFF Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_bmp{"bmp", "BMP Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_mjpeg_2{"mjpeg", "JPEG Image", S1, nullptr, 2, 31, FR2};
constexpr VideoCodecInfo V_pcx{"pcx", "PCX Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_pgm{"pgm", "PGM Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_ppm{"ppm", "PPM Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_sgi{"sgi", "SGI Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_targa{"targa", "Targa Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_xbm{"xbm", "XBM (X BitMap) Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_sunrast{"sunrast", "Sun Rasterfile Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_alias_pix{"alias_pix", "Alias/Wavefront PIX Image", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_libwebp{"libwebp", "WebP Image", S1, nullptr, 100, 2, FR2};
constexpr VideoCodecInfo V_gif{"gif", "GIF (Graphics Interchange Format)", S1, nullptr, -1, -1, FR2};
constexpr VideoCodecInfo V_apng{"apng", "APNG (Animated Portable Network Graphics)", S1, nullptr, -1, -1, FR2};

// Audio codec descriptors: Name, Label, RateControl, SampleRates, BitRates, QualityHigh, QualityLow, ChannelMask
constexpr AudioCodecInfo A_libopencore_amrnb{"libopencore_amrnb", "AMR-NB (Adaptive Multi-Rate Narrow-Band)", 1, R2, B7, -1, -1, 0x01};
constexpr AudioCodecInfo A_libvo_amrwbenc{"libvo_amrwbenc", "AMR-WB (Adaptive Multi-Rate Wide-Band)", 1, R3, B8, -1, -1, 0x01};
constexpr AudioCodecInfo A_alac{"alac", "ALAC (Apple Lossless Audio Codec)", 4, R16, B3, -1, -1, 0x02};
constexpr AudioCodecInfo A_ac3{"ac3", "AC-3 (Dolby Digital)", 1, R8, B13, -1, -1, 0x3F};
constexpr AudioCodecInfo A_eac3{"eac3", "Enhanced AC-3 (Dolby Digital Plus)", 1, R8, B13, -1, -1, 0x3F};
constexpr AudioCodecInfo A_dca{"dca", "DTS Coherent Acoustics", 0, R12, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_aac{"aac", "AAC (Advanced Audio Codec)", 1, R14, B15, -1, -1, 0x3F};
constexpr AudioCodecInfo A_aac_2{"aac", "AAC (Advanced Audio Codec)", 1, R14, B15, -1, -1, 0x03};
constexpr AudioCodecInfo A_aac_3{"aac", "AAC (Advanced Audio Codec)", 1, R4, B6, -1, -1, 0x02};
constexpr AudioCodecInfo A_mp2{"mp2", "MP2 (MPEG audio layer 2)", 1, R11, B12, -1, -1, 0x03};
constexpr AudioCodecInfo A_libmp3lame{"libmp3lame", "MP3 (MPEG audio layer 3)", 3, R12, B12, 0, 10, 0x03};
constexpr AudioCodecInfo A_libmp3lame_2{"libmp3lame", "MP3 (MPEG audio layer 3)", 3, R7, B12, 0, 10, 0x03};
constexpr AudioCodecInfo A_libvorbis{"libvorbis", "Vorbis", 3, R14, B14, 0, 10, 0xFF};
constexpr AudioCodecInfo A_libspeex{"libspeex", "Speex", 1, R6, B9, -1, -1, 0x03};
constexpr AudioCodecInfo A_flac{"flac", "FLAC (Free Lossless Audio Codec)", 4, R15, B10, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_u8{"pcm_u8", "PCM 8-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s16le{"pcm_s16le", "PCM 16-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s16le_2{"pcm_s16le", "PCM 16-bit", 0, R5, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s24le{"pcm_s24le", "PCM 24-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s32le{"pcm_s32le", "PCM 32-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_f32le{"pcm_f32le", "PCM 32-bit Float", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_pcm_f64le{"pcm_f64le", "PCM 64-bit Float", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_pcm_alaw{"pcm_alaw", "CCITT A-Law (8-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_pcm_alaw_2{"pcm_alaw", "CCITT A-Law (8-bit)", 0, R2, nullptr, -1, -1, 0x01};
constexpr AudioCodecInfo A_pcm_mulaw{"pcm_mulaw", "CCITT mu-Law (8-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_pcm_mulaw_2{"pcm_mulaw", "CCITT mu-Law (8-bit)", 0, R2, nullptr, -1, -1, 0x01};
constexpr AudioCodecInfo A_adpcm_ms{"adpcm_ms", "Microsoft ADPCM (4-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_adpcm_ima_wav{"adpcm_ima_wav", "IMA ADPCM (4-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_g726{"g726", "G.726 ADPCM", 1, R2, B4, -1, -1, 0x01};
constexpr AudioCodecInfo A_g722{"g722", "G.722 ADPCM", 0, R1, nullptr, -1, -1, 0x01};
constexpr AudioCodecInfo A_g723_1{"g723_1", "G.723.1", 1, R2, B1, -1, -1, 0x01};
constexpr AudioCodecInfo A_adpcm_yamaha{"adpcm_yamaha", "Yamaha ADPCM (4-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_adpcm_yamaha_2{"adpcm_yamaha", "Yamaha ADPCM (4-bit)", 0, R9, nullptr, -1, -1, 0x01};
constexpr AudioCodecInfo A_pcm_s8{"pcm_s8", "PCM 8-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s16be{"pcm_s16be", "PCM 16-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s24be{"pcm_s24be", "PCM 24-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_s32be{"pcm_s32be", "PCM 32-bit", 0, R17, nullptr, -1, -1, 0xFF};
constexpr AudioCodecInfo A_pcm_f32be{"pcm_f32be", "PCM 32-bit Float", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_pcm_f64be{"pcm_f64be", "PCM 64-bit Float", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_adpcm_ima_qt{"adpcm_ima_qt", "IMA ADPCM (4-bit)", 0, R17, nullptr, -1, -1, 0x03};
constexpr AudioCodecInfo A_libgsm_ms{"libgsm_ms", "Microsoft GSM", 1, R2, B2, -1, -1, 0x01};
constexpr AudioCodecInfo A_libgsm{"libgsm", "GSM", 1, R2, B2, -1, -1, 0x01};
constexpr AudioCodecInfo A_wmav1{"wmav1", "Windows Media Audio 1", 1, R13, B11, -1, -1, 0x03};
constexpr AudioCodecInfo A_wmav2{"wmav2", "Windows Media Audio 2", 1, R13, B11, -1, -1, 0x03};
constexpr AudioCodecInfo A_wavpack{"wavpack", "WavPack Lossless", 4, R17, B5, -1, -1, 0xFF};
constexpr AudioCodecInfo A_libopus{"libopus", "Opus", 1, R10, B16, -1, -1, 0xFF};
constexpr AudioCodecInfo A_tta{"tta", "TTA (True Audio Lossless)", 0, R15, nullptr, -1, -1, 0x3F};

constexpr const VideoCodecInfo* const kAllVideoCodecs[] = {
    &V_dvvideo, &V_flv, &V_h261, &V_h263, &V_h263p, &V_huffyuv, &V_libtheora, &V_libtheora_2,
    &V_libx265, &V_libx264, &V_h264mp, &V_h264bp, &V_libx264_2, &V_h264mp_2, &V_h264bp_2,
    &V_libxvid, &V_mjpeg, &V_mpeg1video, &V_mpeg1video_2, &V_mpeg2video, &V_libschroedinger,
    &V_snow, &V_mpeg2video_2, &V_prores_ks, &V_mpeg4, &V_mpeg4_2, &V_mpeg4_3, &V_msmpeg4,
    &V_msmpeg4v2, &V_rawvideo, &V_rv10, &V_rv20, &V_svq1, &V_msvideo1, &V_wmv1, &V_wmv2, &V_zlib,
    &V_libvpx, &V_libvpx_vp9, &V_png, &V_tiff, &V_bmp, &V_mjpeg_2, &V_pcx, &V_pgm, &V_ppm, &V_sgi,
    &V_targa, &V_xbm, &V_sunrast, &V_alias_pix, &V_libwebp, &V_gif, &V_apng
};
constexpr const AudioCodecInfo* const kAllAudioCodecs[] = {
    &A_libopencore_amrnb, &A_libvo_amrwbenc, &A_alac, &A_ac3, &A_eac3, &A_dca, &A_aac, &A_aac_2,
    &A_aac_3, &A_mp2, &A_libmp3lame, &A_libmp3lame_2, &A_libvorbis, &A_libspeex, &A_flac, &A_pcm_u8,
    &A_pcm_s16le, &A_pcm_s16le_2, &A_pcm_s24le, &A_pcm_s32le, &A_pcm_f32le, &A_pcm_f64le,
    &A_pcm_alaw, &A_pcm_alaw_2, &A_pcm_mulaw, &A_pcm_mulaw_2, &A_adpcm_ms, &A_adpcm_ima_wav,
    &A_g726, &A_g722, &A_g723_1, &A_adpcm_yamaha, &A_adpcm_yamaha_2, &A_pcm_s8, &A_pcm_s16be,
    &A_pcm_s24be, &A_pcm_s32be, &A_pcm_f32be, &A_pcm_f64be, &A_adpcm_ima_qt, &A_libgsm_ms,
    &A_libgsm, &A_wmav1, &A_wmav2, &A_wavpack, &A_libopus, &A_tta
};

}  // namespace

const CatalogueTables& Tables() {
    // video formats: FormatId, Label, Extension, Muxer, SettingsKey, FastStart, video defaults, audio defaults, VideoCodecs, AudioCodecs
    static const FormatRow kVideoFormats[] = {
        {10, nullptr, "3g2", nullptr, nullptr, 1,
         Vid("h263").Size(352, 288).Pad().Q(5).Br(448000).Fps(15.0),
         Aud("libopencore_amrnb").Br(12200).Hz(8000).Mono(),
         Videos{&V_h263, &V_libx264, &V_h264mp, &V_h264bp, &V_mpeg4},
         Audios{&A_aac, &A_libopencore_amrnb, &A_libvo_amrwbenc}},
        {20, nullptr, "3gp", nullptr, nullptr, 1,
         Vid("h263").Size(352, 288).Pad().Q(5).Br(448000).Fps(15.0),
         Aud("libopencore_amrnb").Br(12200).Hz(8000).Mono(),
         Videos{&V_h263, &V_libx264, &V_h264mp, &V_h264bp, &V_mpeg4},
         Audios{&A_aac, &A_libopencore_amrnb, &A_libvo_amrwbenc}},
        {25, "APNG (Animation PNG)", "apng", nullptr, nullptr, 0,
         Vid("apng"),
         NoAudio(),
         Videos{&V_apng},
         std::nullopt},
        {30, nullptr, "asf", nullptr, nullptr, 0,
         Vid("msmpeg4").Q(5),
         Aud("wmav2"),
         Videos{&V_msmpeg4v2, &V_msmpeg4, &V_wmv1, &V_wmv2},
         Audios{&A_adpcm_ima_wav, &A_adpcm_ms, &A_wmav1, &A_wmav2}},
        {40, nullptr, "avi", nullptr, nullptr, 0,
         Vid("msmpeg4v2").Q(5),
         Aud("libmp3lame").Q(5),
         Videos{&V_dvvideo, &V_h261, &V_h263, &V_h263p, &V_libx264, &V_h264mp, &V_h264bp, &V_libx265, &V_huffyuv, &V_msvideo1, &V_mjpeg, &V_mpeg1video, &V_mpeg2video, &V_mpeg4, &V_msmpeg4v2, &V_msmpeg4, &V_rawvideo, &V_rv10, &V_rv20, &V_svq1, &V_libxvid, &V_wmv1, &V_wmv2, &V_zlib},
         Audios{&A_ac3, &A_pcm_alaw, &A_pcm_mulaw, &A_adpcm_ima_wav, &A_adpcm_ms, &A_mp2, &A_libmp3lame, &A_pcm_u8, &A_pcm_s16le, &A_pcm_s24le, &A_pcm_s32le, &A_pcm_f32le, &A_pcm_f64le, &A_wmav1, &A_wmav2}},
        {50, "DivX", "avi", nullptr, "divx", 0,
         Vid("mpeg4").Q(5),
         Aud("libmp3lame").Q(5),
         Videos{&V_mpeg4},
         Audios{&A_ac3, &A_dca, &A_mp2, &A_libmp3lame, &A_pcm_s16le}},
        {60, nullptr, "dv", nullptr, nullptr, 0,
         Vid("dvvideo").Size(720, 480).Pad().Fps(29.97),
         Aud("pcm_s16le").Hz(48000).Stereo(),
         Videos{&V_dvvideo},
         Audios{&A_pcm_s16le}},
        {65, "DVD Video", "vob", "dvd", "DVDVOB", 0,
         Vid("mpeg2video").Size(720, 480).Pad().Qv(5).Br(5000000).Fps(29.97),
         Aud("mp2"),
         Videos{&V_mpeg2video_2},
         Audios{&A_ac3, &A_dca, &A_mp2}},
        {70, nullptr, "flv", nullptr, nullptr, 0,
         Vid("flv").Q(5),
         Aud("libmp3lame").Q(5),
         Videos{&V_flv, &V_libx264, &V_h264mp, &V_h264bp},
         Audios{&A_libmp3lame_2, &A_aac_3}},
        {75, "GIF Animation", "gif", nullptr, nullptr, 0,
         Vid("gif"),
         NoAudio(),
         Videos{&V_gif},
         std::nullopt},
        {80, "H.264 AVC", "mp4", nullptr, "h264", 1,
         Vid("libx264").Q(26),
         Aud("aac"),
         Videos{&V_libx264, &V_h264mp, &V_h264bp},
         Audios{&A_aac}},
        {82, "H.265 HEVC", "mp4", nullptr, "h265", 1,
         Vid("libx265").Q(26),
         Aud("aac"),
         Videos{&V_libx265},
         Audios{&A_aac}},
        {85, nullptr, "m4v", "ipod", nullptr, 1,
         Vid("libx264").Q(26),
         Aud("aac"),
         Videos{&V_libx264, &V_h264mp, &V_h264bp, &V_libx265, &V_mpeg4},
         Audios{&A_aac}},
        {90, nullptr, "mkv", nullptr, nullptr, 0,
         Vid("libx264").Q(26),
         Aud("libvorbis").Q(5).Level(5),
         Videos{&V_libschroedinger, &V_libx264, &V_h264mp, &V_h264bp, &V_libx265, &V_huffyuv, &V_mjpeg, &V_mpeg1video, &V_mpeg2video, &V_mpeg4, &V_snow, &V_libtheora, &V_libvpx, &V_libvpx_vp9, &V_libxvid, &V_zlib},
         Audios{&A_aac, &A_ac3, &A_alac, &A_dca, &A_eac3, &A_flac, &A_mp2, &A_libmp3lame, &A_libopus, &A_pcm_u8, &A_pcm_s16le, &A_pcm_s24le, &A_pcm_s32le, &A_pcm_f32le, &A_pcm_f64le, &A_tta, &A_libvorbis, &A_wavpack}},
        {100, nullptr, "mov", nullptr, nullptr, 1,
         Vid("libx264").Q(26),
         Aud("aac").Q(5).Level(2),
         Videos{&V_prores_ks, &V_libschroedinger, &V_dvvideo, &V_h261, &V_h263, &V_h263p, &V_libx264, &V_h264mp, &V_h264bp, &V_libx265, &V_huffyuv, &V_mjpeg, &V_mpeg2video, &V_mpeg4, &V_svq1, &V_zlib},
         Audios{&A_aac, &A_ac3, &A_alac, &A_libopencore_amrnb, &A_libvo_amrwbenc, &A_dca, &A_eac3, &A_adpcm_ima_qt, &A_adpcm_ms, &A_mp2, &A_libmp3lame, &A_pcm_s8, &A_pcm_s16be, &A_pcm_s24be, &A_pcm_s32be, &A_pcm_f32be, &A_pcm_f64be}},
        {110, nullptr, "mp4", nullptr, nullptr, 1,
         Vid("mpeg4").Q(5),
         Aud("aac"),
         Videos{&V_libx264, &V_h264mp, &V_h264bp, &V_libx265, &V_mpeg4},
         Audios{&A_aac}},
        {120, "MPG / MPEG", "mpg", "mpeg", nullptr, 0,
         Vid("mpeg1video").Q(5).Fps(25.0),
         Aud("mp2").Q(5),
         Videos{&V_mpeg1video},
         Audios{&A_mp2, &A_libmp3lame}},
        {125, nullptr, "mxf", nullptr, nullptr, 0,
         Vid("mpeg2video").Q(5),
         Aud("pcm_s16le"),
         Videos{&V_mpeg2video},
         Audios{&A_pcm_s16le_2}},
        {130, nullptr, "ogg", nullptr, nullptr, 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5).Level(5),
         Videos{&V_libtheora},
         Audios{&A_flac, &A_libopus, &A_libspeex, &A_libvorbis}},
        {135, "OGG (optimized)", "ogg", nullptr, "OGGTHEORA", 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5),
         Videos{&V_libtheora_2},
         Audios{&A_libvorbis}},
        {140, nullptr, "ogm", "ogg", nullptr, 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5).Level(5),
         Videos{&V_libtheora},
         Audios{&A_flac, &A_libopus, &A_libspeex, &A_libvorbis}},
        {145, "OGM (optimized)", "ogm", nullptr, "OGMTHEORA", 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5),
         Videos{&V_libtheora_2},
         Audios{&A_libvorbis}},
        {150, nullptr, "ogv", "ogg", nullptr, 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5).Level(5),
         Videos{&V_libtheora},
         Audios{&A_flac, &A_libopus, &A_libspeex, &A_libvorbis}},
        {155, "OGV (optimized)", "ogv", nullptr, "OGVTHEORA", 0,
         Vid("libtheora").Q(6),
         Aud("libvorbis").Q(5),
         Videos{&V_libtheora_2},
         Audios{&A_libvorbis}},
        {160, nullptr, "swf", nullptr, nullptr, 0,
         Vid("flv").Q(5),
         Aud("libmp3lame").Q(5),
         Videos{&V_flv, &V_libx264, &V_h264mp, &V_h264bp},
         Audios{&A_libmp3lame_2, &A_aac_3}},
        {170, nullptr, "ts", nullptr, nullptr, 0,
         Vid("mpeg2video").Q(5),
         Aud("mp2").Q(5),
         Videos{&V_libschroedinger, &V_libx264, &V_libx265, &V_mpeg2video, &V_mpeg4},
         Audios{&A_ac3, &A_dca, &A_mp2, &A_libmp3lame}},
        {180, "VCD", "mpg", "vcd", "vcd", 0,
         Vid("mpeg1video").Size(352, 240).Pad().Br(1150000).Fps(29.97),
         Aud("mp2").Br(224000).Hz(44100).Stereo(),
         Videos{&V_mpeg1video_2},
         Audios{&A_mp2}},
        {190, nullptr, "vob", nullptr, nullptr, 0,
         Vid("mpeg2video").Q(5),
         Aud("mp2"),
         Videos{&V_mpeg2video},
         Audios{&A_ac3, &A_dca, &A_mp2}},
        {195, "WebM (VP8/VP9)", "webm", "webm", nullptr, 0,
         Vid("libvpx").Qv(30),
         Aud("libvorbis").Q(5),
         Videos{&V_libvpx, &V_libvpx_vp9},
         Audios{&A_libopus, &A_libvorbis}},
        {200, nullptr, "wmv", nullptr, nullptr, 0,
         Vid("wmv2").Q(5),
         Aud("wmav2"),
         Videos{&V_msmpeg4v2, &V_msmpeg4, &V_wmv1, &V_wmv2},
         Audios{&A_adpcm_ima_wav, &A_adpcm_ms, &A_wmav1, &A_wmav2}},
        {210, "Xvid", "avi", nullptr, "xvid", 0,
         Vid("libxvid").Q(6),
         Aud("libmp3lame").Q(5),
         Videos{&V_libxvid},
         Audios{&A_ac3, &A_dca, &A_mp2, &A_libmp3lame, &A_pcm_s16le}},
    };

    // device formats: FormatId, Label, Extension, Muxer, SettingsKey, FastStart, video defaults, audio defaults, VideoCodecs, AudioCodecs
    static const FormatRow kDeviceFormats[] = {
        {516, "Android Phone", "mp4", nullptr, "AndroidMP4", 1,
         Vid("h264bp").Size(480, 320).Q(26).Br(512000).Fps(23.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_2},
         Audios{&A_aac_2, &A_alac}},
        {517, "Android Tablet", "mp4", nullptr, "AndroidTablet", 1,
         Vid("h264bp").Size(640, 480).Q(26).Br(768000).Fps(23.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_2},
         Audios{&A_aac_2, &A_alac}},
        {535, "Common Device", "mp4", nullptr, "CommonDeviceMP4", 1,
         Vid("h264bp").Size(480, 320).Q(26).Br(512000).Fps(23.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_2},
         Audios{&A_aac_2, &A_alac}},
        {545, "iPad", "m4v", "ipod", "ipad", 1,
         Vid("h264mp").Size(640, 480).Q(24).Br(768000).Fps(29.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_3},
         Audios{&A_aac_2, &A_alac}},
        {550, "iPhone", "m4v", "ipod", "iphone", 1,
         Vid("h264bp").Size(640, 480).Q(24).Br(768000).Fps(29.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_3},
         Audios{&A_aac_2, &A_alac}},
        {570, "iPod touch", "m4v", "ipod", "touch", 1,
         Vid("h264bp").Size(640, 480).Q(26).Br(768000).Fps(29.97),
         Aud("aac").Level(2),
         Videos{&V_h264mp_2, &V_h264bp_2, &V_mpeg4_3},
         Audios{&A_aac_2, &A_alac}},
        {615, "Windows Phone", "mp4", nullptr, "WindowsPhoneMP4", 1,
         Vid("h264bp").Size(480, 320).Q(26).Br(512000).Fps(23.97),
         Aud("aac").Level(2),
         Videos{&V_libx264_2, &V_h264mp_2, &V_h264bp_2, &V_mpeg4_2},
         Audios{&A_aac_2, &A_alac}},
    };

    // image sequence formats: FormatId, Label, Extension, Muxer, SettingsKey, FastStart, video defaults, audio defaults, VideoCodecs, AudioCodecs
    static const FormatRow kImageSequenceFormats[] = {
        {700, "BMP (image sequence)", "bmp", "image2", nullptr, 0,
         Vid("bmp"),
         NoAudio(),
         Videos{&V_bmp},
         std::nullopt},
        {705, "GIF (image sequence)", "gif", "image2", "GIFImages", 0,
         Vid("gif"),
         NoAudio(),
         Videos{&V_gif},
         std::nullopt},
        {710, "JPG (image sequence)", "jpg", "image2", nullptr, 0,
         Vid("mjpeg").Q(2),
         NoAudio(),
         Videos{&V_mjpeg_2},
         std::nullopt},
        {740, "PCX (image sequence)", "pcx", "image2", nullptr, 0,
         Vid("pcx"),
         NoAudio(),
         Videos{&V_pcx},
         std::nullopt},
        {750, "PGM (image sequence)", "pgm", "image2", nullptr, 0,
         Vid("pgm"),
         NoAudio(),
         Videos{&V_pgm},
         std::nullopt},
        {752, "PIX (image sequence)", "pix", "image2", nullptr, 0,
         Vid("alias_pix"),
         NoAudio(),
         Videos{&V_alias_pix},
         std::nullopt},
        {755, "PNG (image sequence)", "png", "image2", nullptr, 0,
         Vid("png"),
         NoAudio(),
         Videos{&V_png},
         std::nullopt},
        {760, "PPM (image sequence)", "ppm", "image2", nullptr, 0,
         Vid("ppm"),
         NoAudio(),
         Videos{&V_ppm},
         std::nullopt},
        {765, "RAS (image sequence)", "ras", "image2", nullptr, 0,
         Vid("sunrast"),
         NoAudio(),
         Videos{&V_sunrast},
         std::nullopt},
        {770, "SGI (image sequence)", "sgi", "image2", nullptr, 0,
         Vid("sgi"),
         NoAudio(),
         Videos{&V_sgi},
         std::nullopt},
        {780, "TGA (image sequence)", "tga", "image2", nullptr, 0,
         Vid("targa"),
         NoAudio(),
         Videos{&V_targa},
         std::nullopt},
        {790, "TIFF (image sequence)", "tiff", "image2 -pix_fmt rgb24", nullptr, 0,
         Vid("tiff"),
         NoAudio(),
         Videos{&V_tiff},
         std::nullopt},
        {792, "WebP (image sequence)", "webp", "image2", nullptr, 0,
         Vid("libwebp").Q(80),
         NoAudio(),
         Videos{&V_libwebp},
         std::nullopt},
        {795, "XBM (image sequence)", "xbm", "image2", nullptr, 0,
         Vid("xbm"),
         NoAudio(),
         Videos{&V_xbm},
         std::nullopt},
    };

    // audio formats: FormatId, Label, Extension, Muxer, SettingsKey, FastStart, video defaults, audio defaults, VideoCodecs, AudioCodecs
    static const FormatRow kAudioFormats[] = {
        {1010, "AAC", "aac", "adts", nullptr, 0,
         NoVideo(),
         Aud("aac"),
         std::nullopt,
         Audios{&A_aac}},
        {1020, "AAC for iPod/iPhone/iPad/iTunes/DSi", "m4a", "ipod", "AACDevice", 1,
         NoVideo(),
         Aud("aac"),
         std::nullopt,
         Audios{&A_aac}},
        {1030, nullptr, "ac3", nullptr, nullptr, 0,
         NoVideo(),
         Aud("ac3"),
         std::nullopt,
         Audios{&A_ac3, &A_eac3}},
        {1040, nullptr, "aiff", nullptr, nullptr, 0,
         NoVideo(),
         Aud("pcm_s16be"),
         std::nullopt,
         Audios{&A_pcm_alaw, &A_pcm_mulaw, &A_g722, &A_libgsm, &A_adpcm_ima_qt, &A_pcm_s8, &A_pcm_s16be, &A_pcm_s24be, &A_pcm_s32be, &A_pcm_f32be, &A_pcm_f64be}},
        {1050, "ALAC (Apple Lossless)", "m4a", "ipod", "alac", 1,
         NoVideo(),
         Aud("alac").Level(2),
         std::nullopt,
         Audios{&A_alac}},
        {1055, "A-Law", "alw", "alaw", nullptr, 0,
         NoVideo(),
         Aud("pcm_alaw").Hz(8000).Mono(),
         std::nullopt,
         Audios{&A_pcm_alaw_2}},
        {1060, nullptr, "amr", nullptr, nullptr, 0,
         NoVideo(),
         Aud("libopencore_amrnb").Br(10200).Hz(8000).Mono(),
         std::nullopt,
         Audios{&A_libopencore_amrnb, &A_libvo_amrwbenc}},
        {1070, nullptr, "au", nullptr, nullptr, 0,
         NoVideo(),
         Aud("pcm_s16be"),
         std::nullopt,
         Audios{&A_pcm_alaw, &A_pcm_mulaw, &A_g722, &A_pcm_s8, &A_pcm_s16be, &A_pcm_s24be, &A_pcm_s32be, &A_pcm_f32be, &A_pcm_f64be}},
        {1082, "CAF (Core Audio Format)", "caf", nullptr, nullptr, 0,
         NoVideo(),
         Aud("pcm_s16be").Q(5).Level(2),
         std::nullopt,
         Audios{&A_alac, &A_pcm_alaw, &A_pcm_mulaw, &A_libgsm, &A_adpcm_ima_qt, &A_adpcm_ms, &A_mp2, &A_libmp3lame, &A_pcm_s8, &A_pcm_s16be, &A_pcm_s24be, &A_pcm_s32be, &A_pcm_f32be, &A_pcm_f64be}},
        {1085, nullptr, "dts", nullptr, nullptr, 0,
         NoVideo(),
         Aud("dca"),
         std::nullopt,
         Audios{&A_dca}},
        {1090, nullptr, "flac", nullptr, nullptr, 0,
         NoVideo(),
         Aud("flac").Level(5),
         std::nullopt,
         Audios{&A_flac}},
        {1100, "M4A (MPEG-4 audio)", "m4a", "ipod", nullptr, 1,
         NoVideo(),
         Aud("aac").Level(2),
         std::nullopt,
         Audios{&A_aac, &A_alac}},
        {1110, "M4B (MPEG-4 audiobook)", "m4b", "ipod", nullptr, 1,
         NoVideo(),
         Aud("aac").Level(2),
         std::nullopt,
         Audios{&A_aac, &A_alac}},
        {1120, "M4R (iPhone ringtone)", "m4r", "ipod", nullptr, 1,
         NoVideo(),
         Aud("aac").Level(2),
         std::nullopt,
         Audios{&A_aac, &A_alac}},
        {1130, nullptr, "mka", "matroska", nullptr, 0,
         NoVideo(),
         Aud("libvorbis").Q(5).Level(5),
         std::nullopt,
         Audios{&A_aac, &A_ac3, &A_alac, &A_dca, &A_eac3, &A_flac, &A_mp2, &A_libmp3lame, &A_libopus, &A_pcm_u8, &A_pcm_s16le, &A_pcm_s24le, &A_pcm_s32le, &A_pcm_f32le, &A_pcm_f64le, &A_tta, &A_libvorbis, &A_wavpack}},
        {1140, nullptr, "mmf", nullptr, nullptr, 0,
         NoVideo(),
         Aud("adpcm_yamaha"),
         std::nullopt,
         Audios{&A_adpcm_yamaha_2}},
        {1150, nullptr, "mp2", nullptr, nullptr, 0,
         NoVideo(),
         Aud("mp2"),
         std::nullopt,
         Audios{&A_mp2}},
        {1160, nullptr, "mp3", nullptr, nullptr, 0,
         NoVideo(),
         Aud("libmp3lame").Q(5),
         std::nullopt,
         Audios{&A_libmp3lame}},
        {1170, nullptr, "mpa", "mpeg", nullptr, 0,
         NoVideo(),
         Aud("mp2").Q(5),
         std::nullopt,
         Audios{&A_mp2, &A_libmp3lame}},
        {1175, "mu-Law", "ulw", "mulaw", nullptr, 0,
         NoVideo(),
         Aud("pcm_mulaw").Hz(8000).Mono(),
         std::nullopt,
         Audios{&A_pcm_mulaw_2}},
        {1180, "OGG (OGG Audio)", "ogg", nullptr, nullptr, 0,
         NoVideo(),
         Aud("libvorbis").Q(5).Level(5),
         std::nullopt,
         Audios{&A_flac, &A_libopus, &A_libspeex, &A_libvorbis}},
        {1182, "Opus", "opus", nullptr, nullptr, 0,
         NoVideo(),
         Aud("libopus"),
         std::nullopt,
         Audios{&A_libopus}},
        {1185, "SPX (Speex)", "spx", nullptr, nullptr, 0,
         NoVideo(),
         Aud("libspeex").Br(14000).Hz(16000).Mono(),
         std::nullopt,
         Audios{&A_libspeex}},
        {1190, nullptr, "voc", nullptr, nullptr, 0,
         NoVideo(),
         Aud("pcm_u8"),
         std::nullopt,
         Audios{&A_pcm_alaw, &A_pcm_mulaw, &A_pcm_u8, &A_pcm_s16le}},
        {1200, nullptr, "wav", nullptr, nullptr, 0,
         NoVideo(),
         Aud("pcm_s16le").Q(5).Level(5),
         std::nullopt,
         Audios{&A_aac, &A_ac3, &A_libopencore_amrnb, &A_libvo_amrwbenc, &A_pcm_alaw, &A_pcm_mulaw, &A_dca, &A_eac3, &A_flac, &A_g722, &A_g723_1, &A_g726, &A_adpcm_ima_wav, &A_adpcm_ms, &A_libgsm_ms, &A_mp2, &A_libmp3lame, &A_pcm_u8, &A_pcm_s16le, &A_pcm_s24le, &A_pcm_s32le, &A_pcm_f32le, &A_pcm_f64le, &A_libspeex, &A_libvorbis, &A_wmav1, &A_wmav2, &A_adpcm_yamaha}},
        {1210, nullptr, "wma", nullptr, nullptr, 0,
         NoVideo(),
         Aud("wmav2"),
         std::nullopt,
         Audios{&A_wmav1, &A_wmav2}},
        {1220, "WV (WavPack Lossless)", "wv", nullptr, nullptr, 0,
         NoVideo(),
         Aud("wavpack").Level(0),
         std::nullopt,
         Audios{&A_wavpack}},
    };

    static const CatalogueTables tables{kVideoFormats, kDeviceFormats, kImageSequenceFormats,
                                        kAudioFormats, kAllVideoCodecs, kAllAudioCodecs};
    return tables;
}
// clang-format on

}  // namespace quillon::formats::detail

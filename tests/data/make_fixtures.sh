#!/bin/sh
# Regenerates the audio fixtures of this folder (run from anywhere; needs ffmpeg and python3).
# Every file is a short 1 kHz tone so the files stay a few kilobytes.
set -e
cd "$(dirname "$0")"
FF="ffmpeg -hide_banner -loglevel error -y -bitexact"
TONE="-f lavfi -i sine=frequency=1000:sample_rate=44100:duration=0.5"
$FF $TONE -ac 2 -c:a libmp3lame -b:a 64k tone-1k.mp3
$FF $TONE -ac 1 -c:a mp2 -b:a 64k tone-1k.mp2
$FF $TONE -ac 1 -c:a pcm_s16le tone-1k.wav
$FF $TONE -ac 1 -c:a pcm_u8 tone-1k-8bit.wav
$FF $TONE -ac 1 -c:a pcm_s16be tone-1k.aiff
$FF $TONE -ac 1 -c:a libvorbis -q:a 0 tone-1k.ogg
$FF $TONE -ac 1 -c:a wmav2 -b:a 32k tone-1k.wma
$FF $TONE -ac 1 -c:a flac tone-1k.flac
$FF $TONE -ac 1 -c:a wavpack tone-1k.wv
$FF $TONE -ac 1 -c:a aac -b:a 32k -f adts tone-1k.aac
$FF $TONE -ac 1 -c:a aac -b:a 32k tone-1k.m4a
$FF $TONE -ac 1 -c:a ac3 -b:a 64k tone-1k.ac3
$FF $TONE -ac 1 -c:a alac -f mp4 tone-1k-alac.m4a
$FF $TONE -ac 1 -c:a tta tone-1k.tta
$FF -f lavfi -i sine=frequency=1000:sample_rate=16000:duration=0.5 -c:a libspeex tone-1k.spx
$FF -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=0.5 -c:a libopus -b:a 32k tone-1k.opus
# A full-scale 1 kHz sine (for the spectrum) and one second of silence followed by the tone
# (for seeking: the onset of the sound marks where playback landed).
$FF -f lavfi -i "aevalsrc=0.999*sin(2*PI*1000*t):s=44100:d=0.3" -c:a pcm_s16le sine-fullscale.wav
$FF -f lavfi -i "aevalsrc=if(gte(t\,1)\,0.5*sin(2*PI*1000*t)\,0):s=11025:d=1.5" -c:a pcm_s16le silence-then-tone.wav
$FF -f lavfi -i "aevalsrc=if(gte(t\,1)\,0.5*sin(2*PI*1000*t)\,0):s=44100:d=1.5" -c:a flac silence-then-tone.flac
# Broken and unknown content.
: > empty.wav
head -c 200 tone-1k.m4a > truncated.m4a
head -c 4096 /dev/urandom > random.mp3
{ printf 'OFR '; head -c 2048 /dev/urandom; } > unknown-ofr.ofr
# A mp3 under a foreign extension: the content decides, not the name.
cp tone-1k.mp3 mp3-named.flac
# A tiny four-channel tracker module from our own generator.
python3 make_module.py tone.mod
# A moving test picture for the video window (no sound).
$FF -f lavfi -i testsrc2=duration=5:size=320x240:rate=25 -c:v mpeg4 -q:v 20 -g 25 testsrc2-5s.avi
# Loudness-levelling tags: the same tone as tone-1k.mp3 / tone-1k.opus with stored gains, and a
# full-scale sine whose stored gain would clip it.
$FF $TONE -ac 2 -c:a libmp3lame -b:a 64k -metadata "REPLAYGAIN_TRACK_GAIN=-6.00 dB" \
    -metadata "REPLAYGAIN_ALBUM_GAIN=-2.00 dB" rg-m6.mp3
$FF $TONE -ac 2 -c:a libmp3lame -b:a 64k -metadata "REPLAYGAIN_TRACK_GAIN=+0.00 dB" \
    -metadata "REPLAYGAIN_ALBUM_GAIN=+4.00 dB" rg-0.mp3
$FF -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=0.5 -c:a libopus -b:a 32k \
    -metadata R128_TRACK_GAIN=-2816 rg-r128.opus
$FF -f lavfi -i "aevalsrc=0.999*sin(2*PI*1000*t):s=44100:d=0.3" -c:a flac \
    -metadata "replaygain_track_gain=+12.00 dB" -metadata replaygain_track_peak=0.999 rg-fullscale.flac

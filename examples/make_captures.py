#!/usr/bin/env python3
"""Generates the capture of one telemetry stream in each input format.

The stream: 48 frames of 1024 bits after a 77-bit lead-in, each starting
with the 32-bit CCSDS attached sync marker 0x1ACFFC1D, the rest
pseudo-random. It is written as
  capture.u8    one bit per byte (0 or 1), as software radio tools write it
  capture.bin   packed bytes, most significant bit first
  capture.hex   free hex text: a header line, 64 digits a line, LF line ends
  capture.ch10  an IRIG 106 Chapter 10 file: a TMATS setup record that
                describes the frame, the stream as PCM Format 1 packets of
                channel 3 in throughput mode, and time packets of channel 1
The output is reproducible: the generator uses a fixed seed.
"""
import random
import struct

FRAME = 1024
FRAMES = 48
LEAD_IN = 77
SYNC = 0x1ACFFC1D
SYNC_BITS = 32
PCM_CHANNEL = 3
TIME_CHANNEL = 1

rng = random.Random(20261207)
bits = [rng.getrandbits(1) for _ in range(LEAD_IN + FRAMES * FRAME)]
for frame in range(FRAMES):
    start = LEAD_IN + frame * FRAME
    for j in range(SYNC_BITS):
        bits[start + j] = (SYNC >> (SYNC_BITS - 1 - j)) & 1
# Whole 16-bit words for the packets: the rest of the last word is lead-out.
bits += [rng.getrandbits(1) for _ in range(-len(bits) % 16)]


def packed(stream):
    out = bytearray()
    for i in range(0, len(stream) - 7, 8):
        value = 0
        for b in stream[i:i + 8]:
            value = (value << 1) | b
        out.append(value)
    return bytes(out)


def packet(channel, data_type, body, sequence):
    """A packet: 24-byte header with its word-sum checksum, the body, filler
    to four bytes, no data checksum."""
    length = (24 + len(body) + 3) // 4 * 4
    head = struct.pack('<HHII', 0xEB25, channel, length, len(body))
    head += bytes([0x07, sequence & 0xFF, 0x00, data_type]) + struct.pack('<Q', sequence * 1000)[:6]
    checksum = sum(struct.unpack('<11H', head)) & 0xFFFF
    return head + struct.pack('<H', checksum) + body + bytes(length - 24 - len(body))


def tmats():
    text = ('G\\DSI\\N:1;R-1\\ID:REC;R-1\\N:1;R-1\\TK1-1:%d;R-1\\CDLN-1:LINK1;'
            'P-1\\DLN:LINK1;P-1\\F1:16;P-1\\MF\\N:1;P-1\\MF1:64;P-1\\MF2:%d;P-1\\MF4:%d;P-1\\MF5:%s;'
            % (PCM_CHANNEL, FRAME, SYNC_BITS, format(SYNC, '032b')))
    return struct.pack('<I', 0x07) + text.encode('ascii')


def pcm_throughput(stream):
    """Throughput mode: the bits as 16-bit words, first bit in the most
    significant one, each word little-endian."""
    words = bytearray()
    for i in range(0, len(stream), 16):
        value = 0
        for b in stream[i:i + 16]:
            value = (value << 1) | b
        words += struct.pack('<H', value)
    return struct.pack('<I', 1 << 20) + bytes(words)


def ch10(stream):
    out = packet(0, 0x01, tmats(), 0)
    step = 4096  # bits a packet
    sequence = 1
    for at in range(0, len(stream), step):
        out += packet(TIME_CHANNEL, 0x11, struct.pack('<I', 0) + bytes(8), sequence)
        out += packet(PCM_CHANNEL, 0x09, pcm_throughput(stream[at:at + step]), sequence)
        sequence += 1
    return out


with open('capture.u8', 'wb') as f:
    f.write(bytes(bits))
with open('capture.bin', 'wb') as f:
    f.write(packed(bits))
digits = packed(bits).hex().upper()
with open('capture.hex', 'w', newline='\n') as f:
    f.write('capture of 1024-bit frames, CCSDS ASM\n')
    f.write('\n'.join(digits[i:i + 64] for i in range(0, len(digits), 64)) + '\n')
with open('capture.ch10', 'wb') as f:
    f.write(ch10(bits))

#!/usr/bin/python3
"""Writes the seed inputs of the load_image fuzz target: small bare
implicit-VR DICOM data sets and bitmaps, whole and damaged."""
import os
import struct
import sys


def element(group, elem, value):
    return struct.pack('<HHI', group, elem, len(value)) + value


def us(value):
    return struct.pack('<H', value)


def data_set(rows, columns, bits_allocated, bits_stored, pixels, extra=b''):
    body = element(0x0008, 0x0060, b'OT')
    body += element(0x0010, 0x0010, b'SMITH ')
    body += element(0x0028, 0x0002, us(1))
    body += element(0x0028, 0x0004, b'MONOCHROME2 ')
    body += element(0x0028, 0x0010, us(rows))
    body += element(0x0028, 0x0011, us(columns))
    body += element(0x0028, 0x0100, us(bits_allocated))
    body += element(0x0028, 0x0101, us(bits_stored))
    body += element(0x0028, 0x0102, us(bits_stored - 1))
    body += extra
    return body + struct.pack('<HHI', 0x7FE0, 0x0010, len(pixels)) + pixels


def bitmap(width, height, bit_count, pixels, size_image=None):
    offset = 14 + 40 + 1024
    if size_image is None:
        size_image = len(pixels)
    header = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, 0, size_image, 2835, 2835, 256, 0)
    table = b''.join(bytes((i, i, i, 0)) for i in range(256))
    return header + info + table + pixels


def seeds():
    grey8 = bytes((x * 7 + y * 3) & 0xFF for y in range(12) for x in range(10))
    grey16 = b''.join(struct.pack('<H', (x * 300 + y * 41) & 0xFFF) for y in range(9) for x in range(11))
    yield 'dicom8', data_set(12, 10, 8, 8, grey8)
    yield 'dicom16', data_set(9, 11, 16, 12, grey16)
    yield 'dicom8_truncated', data_set(12, 10, 8, 8, grey8)[:-17]
    yield 'dicom16_no_columns', data_set(9, 11, 16, 12, grey16).replace(
        element(0x0028, 0x0011, us(11)), b'')
    yield 'dicom_undefined_length', data_set(4, 4, 8, 8, bytes(16),
                                             struct.pack('<HHI', 0x0008, 0x1111, 0xFFFFFFFF))
    yield 'dicom_odd_length', data_set(4, 4, 8, 8, bytes(16), element(0x0009, 0x0010, b'ABC'))
    row8 = bytes(range(13)) + bytes(3)
    yield 'bmp8', bitmap(13, 7, 8, row8 * 7)
    row16 = b''.join(struct.pack('<H', v * 1000) for v in range(6))
    yield 'bmp16', bitmap(6, 5, 16, row16 * 5)
    yield 'bmp8_top_down', bitmap(13, -7, 8, row8 * 7)
    yield 'bmp8_zero_image_size', bitmap(13, 7, 8, row8 * 7, size_image=0)
    yield 'bmp24', bitmap(4, 2, 24, bytes(24))
    yield 'bmp_short_header', b'BM' + struct.pack('<IHHI', 30, 0, 0, 30) + bytes(16)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), 'corpus', 'load_image')
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()

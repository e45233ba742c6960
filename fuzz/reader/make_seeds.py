#!/usr/bin/env python3
"""Writes the reader fuzzer's seed corpus: a few small valid definitions and edge cases.

Run from anywhere; the files go to fuzz/corpus/reader/ beside this script's directory.
"""

import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corpus", "reader")

NULL, LIST, INT8, INT16, INT32, EXTENDED, STRING, IDENT, FALSE, TRUE = range(10)
BINARY, SET, LSTRING, NIL, COLLECTION, SINGLE, CURRENCY, DATE, WSTRING, INT64, UTF8 = range(10, 21)


def short(text):
    data = text.encode("cp1251") if isinstance(text, str) else text
    return bytes([len(data)]) + data


def integer(v):
    if -128 <= v <= 127:
        return struct.pack("<Bb", INT8, v)
    if -32768 <= v <= 32767:
        return struct.pack("<Bh", INT16, v)
    return struct.pack("<Bi", INT32, v)


def string(text):
    return bytes([STRING]) + short(text)


def ident(text):
    return bytes([IDENT]) + short(text)


def utf8(text):
    data = text.encode("utf-8")
    return struct.pack("<Bi", UTF8, len(data)) + data


def wstring(text):
    data = text.encode("utf-16-le")
    return struct.pack("<Bi", WSTRING, len(data) // 2) + data


def lstring(text):
    data = text.encode("cp1251")
    return struct.pack("<Bi", LSTRING, len(data)) + data


def set_of(*names):
    return bytes([SET]) + b"".join(short(n) for n in names) + b"\0"


def binary(data):
    return struct.pack("<Bi", BINARY, len(data)) + data


def entries(*pairs):
    return b"".join(short(name) + value for name, value in pairs) + b"\0"


def record(class_name, name, props, children=(), prefix=b""):
    return prefix + short(class_name) + short(name) + props + b"".join(children) + b"\0"


def definition(root):
    return b"TPF0" + root


def main_window():
    button = record("TButton", "Button1", entries(
        ("Left", integer(8)), ("Top", integer(8)), ("Width", integer(75)), ("Height", integer(25)),
        ("Caption", utf8("Открыть")), ("TabOrder", integer(0)), ("OnClick", ident("Button1Click"))))
    edit = record("TEdit", "Edit1", entries(
        ("Left", integer(8)), ("ReadOnly", bytes([TRUE])), ("Text", string("0"))))
    updown = record("TUpDown", "UpDown1", entries(
        ("Associate", ident("Edit1")), ("Max", integer(23)), ("Position", integer(0))))
    radios = [record("TRadioButton", "RadioButton%d" % i, entries(
        ("Caption", wstring("Выключить")), ("Checked", bytes([TRUE if i == 1 else FALSE]))))
        for i in range(1, 3)]
    panel = record("TPanel", "Panel1", entries(("Left", integer(144)), ("Ctl3D", bytes([FALSE]))), radios)
    timer = record("TTimer", "Timer1", entries(
        ("Enabled", bytes([FALSE])), ("OnTimer", ident("Timer1Timer")), ("Left", integer(216)), ("Top", integer(8))))
    form = record("TForm1", "Form1", entries(
        ("Left", integer(341)), ("Top", integer(157)), ("Width", integer(301)), ("Height", integer(223)),
        ("Caption", string("Sonderix")), ("Color", ident("clBtnFace")), ("Font.Charset", ident("DEFAULT_CHARSET")),
        ("Font.Height", integer(-11)), ("Font.Name", string("MS Sans Serif")), ("Font.Style", set_of()),
        ("OldCreateOrder", bytes([FALSE])), ("PixelsPerInch", integer(96)), ("TextHeight", integer(13))),
        [button, edit, updown, panel, timer])
    return definition(form)


def every_tag():
    values = entries(
        ("List", bytes([LIST]) + integer(1) + string("a") + bytes([LIST, NULL]) + b"\0"),
        ("Big", integer(100000)),
        ("Ratio", bytes([EXTENDED]) + struct.pack("<QH", 0xC000000000000000, 0x3FFF)),
        ("Data", binary(b"\x01\x02\x03")),
        ("Note", lstring("long text")),
        ("Popup", bytes([NIL])),
        ("Columns", bytes([COLLECTION]) + integer(0) + bytes([LIST]) + entries(("Width", integer(5)))
         + bytes([LIST]) + entries(("Caption", string("x"))) + b"\0"),
        ("Scale", struct.pack("<Bf", SINGLE, 0.5)),
        ("Price", struct.pack("<Bq", CURRENCY, 25000)),
        ("When", struct.pack("<Bd", DATE, 36526.5)),
        ("Wide", struct.pack("<Bq", INT64, 1 << 40)),
        ("Future", bytes([23])),
        ("Empty", bytes([COLLECTION, NULL])))
    return definition(record("TForm", "F", values))


def typed_reads():
    # Names whose first letters make the fuzzer read each value in a fixed way.
    values = entries(
        ("bFlag", integer(7)), ("bTrue", bytes([TRUE])), ("cChar", string("&")), ("cWide", utf8("Я")),
        ("iNumber", string("12")), ("nName", bytes([NIL])), ("sStyle", set_of("fsBold", "FSITALIC", "fsNone")),
        ("tText", wstring("Пуск")), ("wWide", lstring("abc")), ("xSkip", set_of("a")),
        ("dDefined", integer(13)), ("Data", binary(b"")))
    return definition(record("TForm", "F", values))


def prefixes():
    child_pos = record("TButton", "B1", entries(), prefix=bytes([0xF2]) + integer(3))
    inherited = record("TButton", "B2", entries(), prefix=bytes([0xF1]))
    inline = record("TFrame", "Frame1", entries(), prefix=bytes([0xFC]) + integer(-1))
    return definition(record("TForm", "F", entries(), [child_pos, inherited, inline]))


def long_class_name():
    # 0xE6 is not a prefix: it is the length of a 230-character class name.
    return definition(record("T" * 230, "", entries()))


def seeds():
    yield "main_window", main_window()
    yield "every_tag", every_tag()
    yield "typed_reads", typed_reads()
    yield "prefixes", prefixes()
    yield "long_class_name", long_class_name()
    yield "minimal", definition(record("TForm", "", entries()))
    yield "bad_signature", b"TPF1" + record("TForm", "", entries())
    yield "truncated", main_window()[:97]
    yield "negative_length", definition(short("TForm") + short("F") + short("Text")
                                        + struct.pack("<Bi", LSTRING, -2) + b"abcd\0\0")
    yield "huge_length", definition(short("TForm") + short("F") + short("Text")
                                    + struct.pack("<Bi", UTF8, 0x7FFFFFFF) + b"abcd\0\0")
    yield "stray_utf8", definition(record("TForm", "F", entries(
        ("Caption", struct.pack("<Bi", UTF8, 3) + b"a\x80b"),
        ("tCut", struct.pack("<Bi", UTF8, 2) + b"\xe2\x82"))))
    yield "deep_lists", definition(short("TForm") + short("F") + short("L") + bytes([LIST]) * 300
                                   + b"\0" * 300 + b"\0\0")


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# Writes the loader fuzz target's seed corpus (fuzz/corpus/loader/): small definitions over
# the sample classes of tests/framework/streaming/LoadTestClasses.h that reach every kind of
# property, the prefix flags, references across roots, variants and the loader's errors.
import os
import struct

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'corpus', 'loader')
class B:
    def __init__(s): s.b = bytearray()
    def raw(s, x): s.b += x; return s
    def byte(s, v): s.b.append(v & 0xFF); return s
    def short(s, t):
        t = t.encode('latin1') if isinstance(t, str) else t
        s.byte(len(t)); s.b += t; return s
    def sig(s): return s.raw(b'TPF0')
    def obj(s, cls, name, flags=None, pos=None):
        if flags is not None:
            s.byte(0xF0 | flags)
            if pos is not None: s.int(pos)
        return s.short(cls).short(name)
    def end(s): return s.byte(0)
    def name(s, n): return s.short(n)
    def int(s, v):
        if -128 <= v <= 127: return s.byte(2).raw(struct.pack('<b', v))
        if -32768 <= v <= 32767: return s.byte(3).raw(struct.pack('<h', v))
        return s.byte(4).raw(struct.pack('<i', v))
    def int64(s, v): return s.byte(19).raw(struct.pack('<q', v))
    def ext(s, v):
        # 80-bit extended for simple values
        import math
        if v == 0: return s.byte(5).raw(bytes(10))
        m, e = math.frexp(abs(v))
        mant = int(m * (1 << 64)) ; exp = e - 1 + 16383
        top = exp | (0x8000 if v < 0 else 0)
        return s.byte(5).raw(struct.pack('<QH', mant & ((1<<64)-1), top))
    def single(s, v): return s.byte(15).raw(struct.pack('<f', v))
    def currency(s, v): return s.byte(16).raw(struct.pack('<q', v))
    def date(s, v): return s.byte(17).raw(struct.pack('<d', v))
    def string(s, t): return s.byte(6).short(t)
    def lstring(s, t): t=t.encode('latin1'); return s.byte(12).raw(struct.pack('<i', len(t))).raw(t)
    def wstring(s, t):
        d = t.encode('utf-16-le'); return s.byte(18).raw(struct.pack('<i', len(d)//2)).raw(d)
    def utf8(s, t):
        d = t.encode('utf-8'); return s.byte(20).raw(struct.pack('<i', len(d))).raw(d)
    def ident(s, t): return s.byte(7).short(t)
    def false(s): return s.byte(8)
    def true(s): return s.byte(9)
    def nil(s): return s.byte(13)
    def null(s): return s.byte(0)
    def set(s, ms):
        s.byte(11)
        for m in ms: s.short(m)
        return s.end()
    def binary(s, d): return s.byte(10).raw(struct.pack('<i', len(d))).raw(d)
    def lst(s): return s.byte(1)
    def coll(s): return s.byte(14)
    def item(s, idx=None):
        if idx is not None: s.int(idx)
        return s.lst()

def write(name, b):
    with open(os.path.join(out, name), 'wb') as f: f.write(bytes(b.b))

# Every kind of property on a root and its children.
b = B().sig().obj('TSampleRoot', 'Root')
b.name('IntValue').int(-11).name('ByteValue').int(200).name('Shade').ident('shGreen')
b.name('Count').int(100000).name('Letter').string('x').name('Kind').ident('skGamma')
b.name('Flag').true().name('LongFlag').ident('42').name('Ratio').ext(1.5)
b.name('Small').ext(0.25).name('Money').ext(2.5).name('Text').utf8('Да')
b.name('Short').lstring('short').name('Wide').wstring('Нет').name('Kinds').set(['skAlpha', 'skBeta'])
b.name('Link').ident('Child2').name('Any').ident('Panel1').name('OnChange').ident('HandleChange')
b.name('OnValue').ident('HandleValue').name('Service').ident('Child1').name('Data').int(7)
b.name('Big').int64(1 << 40).name('Inner.Size').int(3).name('Inner.Label').string('in')
b.name('Left').int(216).name('Top').int(8).name('Extra').int(5).name('Blob').binary(b'\x01\x02')
b.name('Items').coll().item(0).name('Caption').string('a').name('Link').ident('Child1').end()
b.item().name('Value').int(2).end().end()
b.end()
b.obj('TSample', 'Child1').name('Link').ident('Child2').name('Checked').int(3).end().end()
b.obj('TSamplePanel', 'Panel1').end()
b.obj('TSample', 'Child2').name('Link').ident('Other.Child1').end().end()
b.obj('TSampleBox', 'Box1').end().obj('TSample', 'Boxed').end().end().end()
b.end()
b.obj('TSampleLone', 'Lone').name('Link').ident('Owner').end().end()
b.end()
write('every_kind', b)

# Prefix flags: child position, inherited, inline.
b = B().sig().obj('TSampleRoot', 'Root').end()
b.obj('TSample', 'Child1', 2, 3).end().end()
b.obj('TSample', 'child1', 1).name('IntValue').int(4).end().end()
b.obj('TSamplePanel', 'Frame1', 4).end().obj('TSample', 'Inner', 1).end().end().end()
b.end()
write('prefixes', b)

# Variants of every tag, and a custom one.
b = B().sig().obj('TSampleRoot', 'Root')
for v in [lambda b: b.null(), lambda b: b.nil(), lambda b: b.int(-5), lambda b: b.int64(-1),
          lambda b: b.ext(-2.0), lambda b: b.single(0.5), lambda b: b.currency(12345),
          lambda b: b.date(45000.5), lambda b: b.string('s'), lambda b: b.lstring('l'),
          lambda b: b.wstring('w'), lambda b: b.utf8('u'), lambda b: b.true(), lambda b: b.false()]:
    b.name('Data'); v(b)
block = B().string('SampleBox').raw(struct.pack('<i', 2)).raw(b'\x05\x06')
b.name('Data').binary(bytes(block.b))
b.end().end()
write('variants', b)

# Errors that a forgiving hook passes over.
b = B().sig().obj('TSampleRoot', 'Root')
b.name('Bogus').int(1).name('Fixed').int(2).name('Shade').ident('shPurple')
b.name('Kind').ident('skNone').name('OnChange').ident('Missing').name('Checked').int(-1)
b.name('Plain.X').int(1).name('Inner').coll().item().name('Value').int(1).end().end()
b.name('WideLetter').string('x').name('Data').set(['a']).name('IntValue').int(9)
b.end()
b.obj('TLabel', 'Label1').end().end()
b.obj('TSample', 'Dup').end().end()
b.obj('TSample', 'DUP').end().end()
b.obj('TSample', '1bad').end().end()
b.obj('TSample', 'Ghost', 1).end().end()
b.obj('TSample', 'Last').name('Link').ident('Poison').end().end()
b.obj('TSample', 'Poison').end().end()
b.end()
write('errors', b)

# A root made from a registered class, with a nested collection and a reference into it.
b = B().sig().obj('TSampleOtherRoot', 'Second').name('Items').coll().end()
b.name('Items').coll().item(7).name('Caption').string('only').end().end().end()
b.obj('TSample', 'A').name('Link').ident('Owner.B').end().end()
b.obj('TSample', 'B').name('Any').ident('A').end().end()
b.end()
write('other_root', b)

write('minimal', B().sig().obj('TSampleRoot', '').end().end())

# A session: definitions loaded one after the other into roots that stay alive, each followed
# by a byte that disturbs a kept root before the next load. References into the later root
# wait in an item and in a nested object; the component that holds them goes, the next root
# arrives, then items are deleted and collections cleared under waiting references.
b = B().sig().obj('TSampleRoot', 'First').end()
b.obj('TSample', 'Child1').name('Items').coll().item().name('Link').ident('Later.Child1').end()
b.end().name('Inner.Link').ident('Later.Child2').end().end()
b.end().byte(2)  # the last component of root 0 goes
b.sig().obj('TSampleRoot', 'Later').end()
b.obj('TSample', 'Child1').end().end().obj('TSample', 'Child2').end().end()
b.end().byte(1 << 3 | 4)  # the first item of each component of root 1 goes
b.sig().obj('TSampleOtherRoot', 'Third').name('Items').coll().item().name('Link')
b.ident('Fourth.A').end().end().end()
b.obj('TSample', 'A').name('Items').coll().item().name('Link').ident('Fourth.A').end().end()
b.end().end()
b.end().byte(2 << 3 | 3)  # the collections of root 2 are cleared
b.sig().obj('TSampleRoot', 'Fourth').end().obj('TSample', 'A').end().end().end().byte(1)
write('session', b)

#!/usr/bin/env python3
"""Writes the seed corpus of the state fuzzer: state blobs as the processor writes them, at the
ends of every range, and as projects edited by hand or by other tools could hold them."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "state")
os.makedirs(out, exist_ok=True)

DECL = '<?xml version="1.0" encoding="UTF-8"?> '
ORDER = ["bleedReject", "maxAtten", "rmsWindow", "smoothing", "threshold", "weight"]
LOW = {"bleedReject": "-30.0", "maxAtten": "-60.0", "rmsWindow": "10.0", "smoothing": "0.5", "threshold": "-80.0", "weight": "0.0"}
HIGH = {"bleedReject": "-3.0", "maxAtten": "0.0", "rmsWindow": "1000.0", "smoothing": "100.0", "threshold": "0.0", "weight": "200.0"}
FRESH = {"bleedReject": "-12.0", "maxAtten": "-60.0", "rmsWindow": "300.0", "smoothing": "5.0", "threshold": "-60.0", "weight": "100.0"}


def params(values, order=ORDER):
    return "".join('<PARAM id="%s" value="%s"/>' % (i, values[i]) for i in order)


def blob(text):
    data = text.encode("utf-8")
    return b"VC2!" + struct.pack("<I", len(data)) + data + b"\0"


seeds = {
    "fresh": DECL + "<Parameters>" + params(FRESH) + "</Parameters>",
    "all-low": DECL + "<Parameters>" + params(LOW) + "</Parameters>",
    "all-high": DECL + "<Parameters>" + params(HIGH) + "</Parameters>",
    "creation-order": DECL + "<Parameters>" + params(FRESH, ORDER[::-1]) + "</Parameters>",
    "odd-doubles": DECL + '<Parameters><PARAM id="smoothing" value="25.399999618530273"/>'
                   '<PARAM id="threshold" value="-47.29999923706055"/></Parameters>',
    "hand-edited": '<?xml version="1.0"?>\n<Parameters>\n  <PARAM id="rmsWindow" value="250"/>\n'
                   "  <PARAM id='weight' value=' 150 %'/>\n  <PARAM id=\"maxAtten\"/>\n</Parameters>\n",
    "unknown-children": DECL + '<Parameters><EXTRA note="keep me"><INNER a="1"/></EXTRA>'
                        '<PARAM id="futureKnob" value="3.5"/><PARAM id="weight" value="5000"/></Parameters>',
    "other-root": DECL + "<Settings>" + params(FRESH) + "</Settings>",
    "lower-case-root": DECL + "<parameters>" + params(LOW) + "</parameters>",
    "huge-attribute": DECL + '<Parameters><PARAM id="rmsWindow" value="300" note="' + "x" * 20000 + '"/></Parameters>',
    "entities": DECL + '<Parameters><PARAM id="weight" value="&#49;&#x32;0" note="&amp;&lt;&gt;&quot;&apos;&#233;"/>'
                "text &amp; more<![CDATA[ <raw> ]]><!-- comment --></Parameters>",
    "deep-nesting": DECL + "<Parameters>" + "<a>" * 60 + "</a>" * 60 + params(FRESH) + "</Parameters>",
    "too-deep": DECL + "<Parameters>" + "<a>" * 200 + "</a>" * 200 + "</Parameters>",
    "doctype-and-pi": '<?xml version="1.0"?><?app hint?><!DOCTYPE Parameters [<!ENTITY e "x">]><!-- c -->'
                      "<Parameters>" + params(FRESH) + "</Parameters>",
    "odd-values": DECL + '<Parameters><PARAM id="rmsWindow" value="nan"/><PARAM id="weight" value="-inf"/>'
                  '<PARAM id="smoothing" value="1e-45"/><PARAM id="threshold" value=""/>'
                  '<PARAM id="bleedReject" value="-12.25"/><PARAM id="maxAtten" value="0x10"/></Parameters>',
    "duplicate-ids": DECL + '<Parameters><PARAM id="weight" value="10"/><PARAM id="weight" value="20"/></Parameters>',
}

for name, text in seeds.items():
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(blob(text))

# Two header edge cases: a length field beyond the data, and one that is negative.
fresh = blob(seeds["fresh"])
with open(os.path.join(out, "long-length-field.bin"), "wb") as f:
    f.write(fresh[:4] + struct.pack("<I", 100000) + fresh[8:])
with open(os.path.join(out, "negative-length-field.bin"), "wb") as f:
    f.write(fresh[:4] + struct.pack("<i", -5) + fresh[8:])

# Component states as the VST3 wrapper stores them: the blob, eight zero bytes, the private tree
# (the wrapper's bypass switch in ValueTree::writeToStream form), its size and "JUCEPrivateData".
component_out = os.path.join(os.path.dirname(out), "component")
os.makedirs(component_out, exist_ok=True)


def private_tree(bypass):
    return (b"JUCEPrivateData\0" + b"\x01\x01" + b"Bypass\0" + b"\x01\x01" + (b"\x02" if bypass else b"\x03")
            + b"\x00")


def component(state_blob, tree):
    return state_blob + b"\0" * 8 + tree + struct.pack("<q", len(tree)) + b"JUCEPrivateData"


components = {
    "fresh": component(blob(seeds["fresh"]), private_tree(False)),
    "bypassed-high": component(blob(seeds["all-high"]), private_tree(True)),
    "empty-private-tree": component(blob(seeds["all-low"]), b""),
    "no-trailer": blob(seeds["hand-edited"]),
}

for name, data in components.items():
    with open(os.path.join(component_out, name + ".bin"), "wb") as f:
        f.write(data)

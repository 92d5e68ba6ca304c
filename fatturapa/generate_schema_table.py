#!/usr/bin/env python3
"""Writes the FatturaPA schema table (a C++ source) from the official schemas.

Usage: generate_schema_table.py OUTPUT.cc FATTURAPA.xsd XMLDSIG.xsd

For every named complex type of the two schemas the table lists its
attributes and child elements in schema order, each with the form of its
value (a complex type, a date, a date-time, base64 bytes, plain text, or an
open slot for any XML), its occurrence bounds and, for code lists, the codes
the schema allows. Choices are flattened in document order; their members
count as optional, and a repeated choice makes its members repeatable.

Run by CMake at build time; the output goes to the build tree only.
"""
import sys
import xml.etree.ElementTree as ET

XS = "http://www.w3.org/2001/XMLSchema"
UNBOUNDED = 0xFFFFFFFF


def q(local):
    return "{%s}%s" % (XS, local)


class Schema:
    def __init__(self, path):
        self.prefixes = {}
        for event, item in ET.iterparse(path, events=("start-ns",)):
            prefix, uri = item
            self.prefixes.setdefault(prefix, uri)
        self.root = ET.parse(path).getroot()
        self.target = self.root.get("targetNamespace")
        self.qualified = self.root.get("elementFormDefault") == "qualified"
        self.complex = {c.get("name"): c for c in self.root.findall(q("complexType"))}
        self.simple = {s.get("name"): s for s in self.root.findall(q("simpleType"))}
        self.elements = {e.get("name"): e for e in self.root.findall(q("element"))}

    def resolve(self, qname):
        """(namespace, local) of a QName written in this schema."""
        prefix, _, local = qname.rpartition(":")
        return self.prefixes.get(prefix, ""), local


class Generator:
    def __init__(self, fatturapa, xmldsig):
        self.schemas = {s.target: s for s in (fatturapa, xmldsig)}
        self.fatturapa = fatturapa
        self.xmldsig = xmldsig

    def simple_form(self, schema, qname):
        """(form, codes) of a simple type: its built-in base decides the form."""
        ns, local = schema.resolve(qname)
        codes = None
        while ns != XS:
            owner = self.schemas[ns]
            st = owner.simple[local]
            restriction = st.find(q("restriction"))
            if restriction is None:  # a list or union: plain text
                return "Text", codes
            if codes is None:
                found = [e.get("value") for e in restriction.findall(q("enumeration"))]
                codes = found or None
            ns, local = owner.resolve(restriction.get("base"))
        form = {"date": "Date", "dateTime": "DateTime", "base64Binary": "Base64"}.get(local, "Text")
        return form, codes

    def value_of(self, schema, type_qname):
        """(form, type name, codes) of a type reference."""
        ns, local = schema.resolve(type_qname)
        if ns != XS and local in self.schemas[ns].complex:
            return "Complex", local, None
        form, codes = self.simple_form(schema, type_qname)
        return form, local, codes

    def particles(self, schema, node, optional, repeated, out):
        for child in node:
            tag = child.tag
            if tag in (q("sequence"), q("choice")):
                in_choice = tag == q("choice")
                many = repeated or child.get("maxOccurs", "1") != "1"
                opt = optional or in_choice or child.get("minOccurs", "1") == "0"
                self.particles(schema, child, opt, many, out)
            elif tag == q("element"):
                if child.get("ref"):
                    ns, local = schema.resolve(child.get("ref"))
                    owner = self.schemas[ns]
                    decl = owner.elements[local]
                    form, tname, codes = self.value_of(owner, decl.get("type"))
                    in_sig = ns == self.xmldsig.target
                else:
                    local = child.get("name")
                    form, tname, codes = self.value_of(schema, child.get("type"))
                    in_sig = schema is self.xmldsig and schema.qualified
                lo = 0 if optional else int(child.get("minOccurs", "1"))
                mx = child.get("maxOccurs", "1")
                hi = UNBOUNDED if repeated or mx == "unbounded" else int(mx)
                out.append(dict(name=local, sig=in_sig, attr=False, form=form, type=tname,
                                lo=lo, hi=hi, codes=codes))
            elif tag == q("any"):
                out.append(dict(name="", sig=False, attr=False, form="Any", type="", lo=0,
                                hi=UNBOUNDED, codes=None))
            elif tag == q("attribute"):
                form, tname, codes = self.value_of(schema, child.get("type"))
                lo = 1 if child.get("use") == "required" else 0
                out.append(dict(name=child.get("name"), sig=False, attr=True, form=form,
                                type=tname, lo=lo, hi=1, codes=codes))
            elif tag in (q("simpleContent"), q("complexContent")):
                ext = child.find(q("extension"))
                self.particles(schema, ext, optional, repeated, out)

    def complex_types(self):
        seen = {}
        for schema in (self.fatturapa, self.xmldsig):
            for name, ct in schema.complex.items():
                if name in seen:
                    raise SystemExit("complex type %s is declared twice" % name)
                parts = []
                self.particles(schema, ct, False, False, parts)
                content = "None"
                sc = ct.find(q("simpleContent"))
                if sc is not None:
                    content, _ = self.simple_form(schema, sc.find(q("extension")).get("base"))
                seen[name] = dict(name=name, sig=schema is self.xmldsig,
                                  mixed=ct.get("mixed") == "true", content=content, parts=parts)
        return list(seen.values())


def cpp_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    out_path, fatturapa_path, xmldsig_path = sys.argv[1:4]
    gen = Generator(Schema(fatturapa_path), Schema(xmldsig_path))
    types = gen.complex_types()
    root_decl = gen.fatturapa.elements["FatturaElettronica"]
    root_type = gen.fatturapa.resolve(root_decl.get("type"))[1]

    lines = ["// Generated from the official FatturaPA and XML-Signature schemas by",
             "// fatturapa/generate_schema_table.py; do not edit.",
             '#include "fatturapa/schema_table.h"', "", "namespace vorn::fatturapa {",
             "namespace {", ""]
    code_lists = {}
    for t in types:
        for p in t["parts"]:
            if p["codes"] and p["type"] not in code_lists:
                code_lists[p["type"]] = p["codes"]
    for name, codes in sorted(code_lists.items()):
        lines.append("constexpr std::string_view kCodes_%s[] = {%s};" %
                     (name, ", ".join(cpp_string(c) for c in codes)))
    lines.append("")
    for t in types:
        lines.append("constexpr SchemaParticle kParts_%s[] = {" % t["name"])
        for p in t["parts"]:
            codes = "kCodes_%s" % p["type"] if p["codes"] else "{}"
            lines.append("    {%s, %s, %s, ValueForm::%s, %s, %d, %du, %s}," % (
                cpp_string(p["name"]), "true" if p["sig"] else "false",
                "true" if p["attr"] else "false", p["form"], cpp_string(p["type"]),
                p["lo"], p["hi"], codes))
        if not t["parts"]:
            lines.append("    {}, // no content")
        lines.append("};")
    lines.append("")
    lines.append("constexpr SchemaType kTypes[] = {")
    for t in types:
        count = len(t["parts"])
        lines.append("    {%s, %s, %s, ValueForm::%s, {kParts_%s, %d}}," % (
            cpp_string(t["name"]), "true" if t["sig"] else "false",
            "true" if t["mixed"] else "false", t["content"], t["name"], count))
    lines.append("};")
    lines.append("")
    lines.append("}  // namespace")
    lines.append("")
    lines.append("constexpr std::string_view kFatturaPANamespace = %s;" %
                 cpp_string(gen.fatturapa.target))
    lines.append("constexpr std::string_view kSignatureNamespace = %s;" %
                 cpp_string(gen.xmldsig.target))
    lines.append("constexpr std::string_view kRootElement = \"FatturaElettronica\";")
    lines.append("constexpr std::string_view kRootType = %s;" % cpp_string(root_type))
    lines.append("")
    lines.append("std::span<const SchemaType> SchemaTypes() { return kTypes; }")
    lines.append("")
    lines.append("}  // namespace vorn::fatturapa")
    text = "\n".join(lines) + "\n"
    try:
        with open(out_path, encoding="utf-8") as f:
            if f.read() == text:
                return  # unchanged: keep the timestamp
    except OSError:
        pass
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()

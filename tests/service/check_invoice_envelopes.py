#!/usr/bin/env python3
"""Reads the checked-in InviaDocumento envelopes with Python's own XML parser
and checks them against the writer's rules: element names, namespaces and
their declarations, order, nil elements, type attributes and texts. The
envelope of the sample invoice is also checked, value by value and in both
directions, against the sample file that its tree was built from.

Usage: check_invoice_envelopes.py DATA_DIR      (DATA_DIR: tests/data)
Prints one line per fault and exits 1 if there is any.
"""
import os
import sys
from xml.dom import Node, minidom

ENV = "http://schemas.xmlsoap.org/soap/envelope/"
XSD = "http://www.w3.org/2001/XMLSchema"
XSI = "http://www.w3.org/2001/XMLSchema-instance"
XMLNS = "http://www.w3.org/2000/xmlns/"
SVC = "http://tempuri.org/"
MSG = "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService"
INV = ("http://schemas.datacontract.org/2004/07/"
       "VornMirtel.FE.SdiWebService.Domain.FatturaElettronicaSchema")
XS = "http://www.w3.org/2001/XMLSchema"
# The element names of the choice lists: a name list beside a text list.
CHOICES = ("Cognome", "Denominazione", "Nome")

faults = []


def check(cond, what):
    if not cond:
        faults.append(what)
    return cond


def elements(node):
    return [c for c in node.childNodes if c.nodeType == Node.ELEMENT_NODE]


def text(el):
    return "".join(c.data for c in el.childNodes if c.nodeType == Node.TEXT_NODE)


def path(el):
    parts = []
    while el is not None and el.nodeType == Node.ELEMENT_NODE:
        parts.append(el.localName)
        el = el.parentNode
    return "/".join(reversed(parts))


def declarations(el):
    """The namespace declarations of an element, in document order."""
    return [(a.name, a.value or "") for a in el.attributes.values() if a.namespaceURI == XMLNS]


def attributes(el):
    """The other attributes, as {(namespace, local name): value}."""
    return {(a.namespaceURI, a.localName): a.value
            for a in el.attributes.values() if a.namespaceURI != XMLNS}


def is_nil(el):
    return attributes(el).get((XSI, "nil")) == "true"


def resolve(el, prefix):
    """The namespace that `prefix` ('' for the default one) means at `el`."""
    name = "xmlns:" + prefix if prefix else "xmlns"
    while el is not None and el.nodeType == Node.ELEMENT_NODE:
        if el.hasAttribute(name):
            return el.getAttribute(name)
        el = el.parentNode
    return None


def type_of(el):
    """(namespace, local name) of the element's type attribute, or None."""
    value = attributes(el).get((XSI, "type"))
    if value is None:
        return None
    prefix, _, local = value.rpartition(":")
    return resolve(el, prefix), local


def is_wrapper(el):
    """An array property: its children are items, not property elements."""
    return any(not c.localName.endswith(("Field", "FieldSpecified")) for c in elements(el))


def load(data_dir, name):
    with open(os.path.join(data_dir, "envelopes", name), "rb") as f:
        raw = f.read()
    check(raw.startswith(b'<?xml version="1.0"?>'), name + ": declaration")
    return minidom.parseString(raw)


def request_of(doc, name, body_decls, children):
    """Checks the envelope down to "request"; returns its element."""
    env = doc.documentElement
    check(env.tagName == "SOAP-ENV:Envelope" and env.namespaceURI == ENV, name + ": envelope")
    check(declarations(env) == [("xmlns:SOAP-ENV", ENV), ("xmlns:xsd", XSD), ("xmlns:xsi", XSI)],
          name + ": envelope declarations %r" % declarations(env))
    (body,) = elements(env)
    check(body.tagName == "SOAP-ENV:Body" and body.namespaceURI == ENV, name + ": body")
    check(declarations(body) == body_decls, name + ": body declarations %r" % declarations(body))
    (wrapper,) = elements(body)
    check((wrapper.tagName, wrapper.namespaceURI) == ("InviaDocumento", SVC), name + ": wrapper")
    check(declarations(wrapper) == [("xmlns", SVC)], name + ": wrapper declares the service")
    (request,) = elements(wrapper)
    check((request.tagName, request.namespaceURI) == ("request", SVC), name + ": request")
    check(request.attributes.length == 0, name + ": request has no attributes")
    got = [c.tagName for c in elements(request)]
    check(got == children, name + ": request children %r" % got)
    for c in elements(request):
        check(c.namespaceURI == MSG, name + ": %s in the message namespace" % c.tagName)
        check(declarations(c) == [("xmlns", MSG)], name + ": %s declares it" % c.tagName)
    return request


def check_model_tree(name, documento):
    """The rules that hold for every element below Documento."""
    def walk(el, depth):
        where = name + ": " + path(el)
        nil_entry = is_nil(el) and el.parentNode is not documento and is_wrapper(el.parentNode)
        check(":" not in el.tagName, where + " has no prefix")
        if nil_entry:
            # A nil array entry is in no namespace.
            check(el.namespaceURI is None, where + " nil entry in no namespace")
        else:
            check(el.namespaceURI == INV, where + " in the invoice namespace")
        expected_decls = [("xmlns", INV)] if depth == 1 else []
        if nil_entry:
            expected_decls = [("xmlns", "")]
        check(declarations(el) == expected_decls, where + " declarations %r" % declarations(el))
        for key in attributes(el):
            check(key in ((XSI, "nil"), (XSI, "type")), where + " attribute %r" % (key,))
        if is_nil(el):
            check(not el.childNodes, where + " nil and empty")
        kids = elements(el)
        if kids and not is_wrapper(el):
            names = [k.localName for k in kids]
            check(names == sorted(names), where + " properties in code-unit order")
            for i, n in enumerate(names):
                if n.endswith("FieldSpecified"):
                    check(i > 0 and names[i - 1] + "Specified" == n,
                          where + " %s right after its value" % n)
        if kids and is_wrapper(el):
            check(len({k.localName for k in kids}) == 1, where + " items share one name")
        for k in kids:
            walk(k, depth + 1)
    for c in elements(documento):
        walk(c, 1)


def check_fresh_root(data_dir):
    name = "invia_documento_fresh_root.xml"
    doc = load(data_dir, name)
    request = request_of(doc, name, [], ["Documento"])
    (documento,) = elements(request)
    check(type_of(documento) is None, name + ": no type attribute")
    check_model_tree(name, documento)
    got = [(c.localName, is_nil(c), len(c.childNodes), text(c)) for c in elements(documento)]
    check(got == [("fatturaElettronicaBodyField", False, 0, ""),
                  ("fatturaElettronicaHeaderField", True, 0, ""),
                  ("signatureField", True, 0, ""),
                  ("versioneField", False, 1, "FPA12")],
          name + ": root elements %r" % got)


def check_element_form(data_dir):
    name = "invia_documento_element_form.xml"
    doc = load(data_dir, name)
    request = request_of(doc, name, [("xmlns:NS1", INV)], ["Documento", "Username"])
    documento = elements(request)[0]
    check(attributes(documento).get((XSI, "type")) == "NS1:FatturaElettronicaType",
          name + ": root type attribute")
    check(type_of(documento) == (INV, "FatturaElettronicaType"), name + ": root type")
    check_model_tree(name, documento)
    kids = {c.localName: c for c in elements(documento)}
    check(list(kids) == ["fatturaElettronicaBodyField", "fatturaElettronicaHeaderField",
                         "signatureField", "versioneField"], name + ": root elements")
    bodies = elements(kids["fatturaElettronicaBodyField"])
    check([b.localName for b in bodies] == ["FatturaElettronicaBodyType"] * 2, name + ": bodies")
    check(type_of(bodies[0]) == (INV, "FatturaElettronicaBodyType"), name + ": body type")
    check(attributes(bodies[0]).get((XSI, "type")) == "FatturaElettronicaBodyType",
          name + ": body type without prefix")
    check(is_nil(bodies[1]) and bodies[1].namespaceURI is None, name + ": nil body entry")
    veicoli = [c for c in elements(bodies[0]) if c.localName == "datiVeicoliField"]
    check(len(veicoli) == 1 and type_of(veicoli[0]) is None, name + ": vehicles")
    totale = [c for c in elements(veicoli[0]) if c.localName == "totalePercorsoField"]
    check([text(t) for t in totale] == ["120"], name + ": vehicles' distance")
    header = kids["fatturaElettronicaHeaderField"]
    check(type_of(header) is None and not is_nil(header), name + ": header")
    (trasmissione,) = [c for c in elements(header) if c.localName == "datiTrasmissioneField"]
    values = {c.localName: text(c) for c in elements(trasmissione)}
    check(values.get("progressivoInvioField") == "00002", name + ": progressive number")
    check(values.get("formatoTrasmissioneField") == "FPR12", name + ": transmission format")
    check(text(kids["versioneField"]) == "FPR12", name + ": version")
    check(is_nil(kids["signatureField"]), name + ": nil signature")
    check(text(elements(request)[1]) == "u", name + ": user name")


def field_name(tag):
    return tag[0].lower() + tag[1:] + "Field"


def match_sample(name, sample, env, matched):
    """Finds every value of the sample element below `env`, marking what it
    matched. Repeated sample elements are the items of an array."""
    where = name + ": " + path(env)
    props = {c.localName: c for c in elements(env)}
    for attr, value in sample.attributes.items():
        if ":" in attr or attr == "xmlns":
            continue
        f = props.get(field_name(attr))
        if check(f is not None, where + " lacks attribute " + attr):
            check(text(f) == value, where + " %s: %r" % (attr, text(f)))
            matched.add(f)
    seen = {}
    choices = []
    for c in elements(sample):
        tag = c.localName
        if tag in CHOICES:
            choices.append((tag, text(c)))
            continue
        f = props.get(field_name(tag))
        if not check(f is not None, where + " lacks " + tag):
            continue
        matched.add(f)
        target = f
        if is_wrapper(f):
            k = seen.get(tag, 0)
            seen[tag] = k + 1
            items = elements(f)
            if not check(k < len(items), where + " lacks item %d of %s" % (k + 1, tag)):
                continue
            target = items[k]
            matched.add(target)
        if elements(c):
            match_sample(name, c, target, matched)
        else:
            check(text(target) == text(c), where + "/%s: %r, sample %r" % (
                field_name(tag), text(target), text(c)))
            companion = props.get(field_name(tag) + "Specified")
            if companion is not None:
                check(text(companion) == "true", where + " %s present" % companion.localName)
                matched.add(companion)
    for tag, n in seen.items():
        items = elements(props[field_name(tag)])
        check(len(items) == n, where + " %s has %d items, sample %d" % (tag, len(items), n))
    if choices:
        names = props.get("itemsElementNameField")
        values = props.get("itemsField")
        if check(names is not None and values is not None, where + " lacks the choice lists"):
            got = list(zip([text(i) for i in elements(names)], [text(i) for i in elements(values)]))
            check(got == choices, where + " choices %r, sample %r" % (got, choices))
            matched.update([names, values] + elements(names) + elements(values))


def schema_kinds(path):
    """What the invoice schema says each element name holds: "object",
    "array", "decimal", "date", "bytes" or "text" (every name has one kind
    wherever it is used)."""
    schema = minidom.parse(path).documentElement
    complex_types = {t.getAttribute("name") for t in schema.getElementsByTagNameNS(XS, "complexType")}
    bases = {}
    for t in schema.getElementsByTagNameNS(XS, "simpleType"):
        r = t.getElementsByTagNameNS(XS, "restriction")
        bases[t.getAttribute("name")] = r[0].getAttribute("base") if r else ""
    kinds = {}
    for e in schema.getElementsByTagNameNS(XS, "element"):
        name, type_name = e.getAttribute("name"), e.getAttribute("type")
        if not name:
            continue
        local = type_name.split(":")[-1]
        base = type_name if type_name.startswith("xs:") else bases.get(local, "")
        if e.getAttribute("maxOccurs") not in ("", "1"):
            kind = "array"
        elif local in complex_types:
            kind = "object"
        elif base == "xs:decimal":
            kind = "decimal"
        elif base in ("xs:date", "xs:dateTime"):
            kind = "date"
        elif base == "xs:base64Binary":
            kind = "bytes"
        else:
            kind = "text"
        kinds[name] = kind
    return kinds


def check_fpa01(data_dir):
    name = "invia_documento_fpa01.xml"
    doc = load(data_dir, name)
    request = request_of(doc, name, [], ["Documento", "Password", "Username"])
    documento, password, username = elements(request)
    check(type_of(documento) is None, name + ": no type attribute")
    check((text(password), text(username)) == ("segreta", "mario.rossi"), name + ": credentials")
    check_model_tree(name, documento)

    sample = minidom.parse(os.path.join(data_dir, "fatturapa", "IT01234567890_FPA01.xml"))
    root = sample.documentElement
    check(root.localName == "FatturaElettronica", name + ": sample root")
    matched = set()
    match_sample(name, root, documento, matched)

    # Whatever the sample does not hold is written empty: a nil object or
    # value, an empty text or array, or a false companion; the schema tells
    # which one each element must be.
    kinds = schema_kinds(os.path.join(data_dir, "fatturapa",
                                      "Schema_del_file_xml_FatturaPA_v1.2.2.xsd"))
    checked = {}

    def unmatched(el):
        for c in elements(el):
            if c in matched:
                unmatched(c)
                continue
            where = name + ": " + path(c)
            base = c.localName[:-len("Field")] if c.localName.endswith("Field") else ""
            kind = kinds.get(base[:1].upper() + base[1:])
            if kind is not None:
                checked[kind] = checked.get(kind, 0) + 1
            if kind in ("object", "decimal", "date"):
                check(is_nil(c) and c.namespaceURI == INV, where + " is not a nil " + kind)
            elif kind == "bytes":
                check(is_nil(c) and c.namespaceURI is None, where + " is not nil in no namespace")
            elif kind == "array":
                # Arrays are empty wrappers; where the contract holds one
                # object instead, a nil object.
                check(is_nil(c) or not c.childNodes, where + " is not an empty array")
            elif kind == "text":
                check(not is_nil(c), where + " is a nil text")
            if is_nil(c) or not c.childNodes:
                continue
            companion = c.nextSibling
            if elements(c):
                check(False, where + " holds elements the sample does not have")
            elif c.localName.endswith("FieldSpecified"):
                check(text(c) == "false", where + " is %r without its value" % text(c))
            elif companion is not None and companion.localName == c.localName + "Specified":
                # A code-list value is always written; its companion says
                # that it is absent.
                check(text(companion) == "false", where + " is %r, not in the sample" % text(c))
            else:
                check(text(c) == "", where + " is %r, not in the sample" % text(c))
    unmatched(documento)
    # The schema knew most of the elements the sample leaves out.
    check(all(checked.get(k, 0) > 0 for k in ("object", "decimal", "date", "array", "text")),
          name + ": elements checked against the schema %r" % checked)


def main():
    data_dir = sys.argv[1]
    for f in (check_fresh_root, check_element_form, check_fpa01):
        try:
            f(data_dir)
        except Exception as e:  # a missing element or an unreadable file
            faults.append("%s: %s: %s" % (f.__name__, type(e).__name__, e))
    for line in faults:
        print(line)
    print("%d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

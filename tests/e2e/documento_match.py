"""Finds every value of a FatturaPA file in the Documento subtree of a typed
InviaDocumento request, by the model's naming rules, independently of vorn's
own code:

- element or attribute X is the model element xField (first letter in lower
  case); a repeated one is the entry of that array at its position;
- members of a choice (Denominazione, Nome, KeyName, XPath...) are the
  entries of itemsElementNameField (their names) and itemsField (their
  values), in order;
- a date is a date-time at midnight; base64 values are the same bytes;
- the text of an element with attributes (ds:SignatureValue) is valueField,
  an element of an open slot (inside ds:Object) is the element in anyField;
- an optional value that is present has its xFieldSpecified set to true.

match() returns the list of mismatches, each with its path; empty when all
values were found.
"""

import base64
import re

INV = "{http://schemas.datacontract.org/2004/07/VornMirtel.FE.SdiWebService.Domain.FatturaElettronicaSchema}"
MSG = "{http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService}"
DS = "{http://www.w3.org/2000/09/xmldsig#}"
DATE = re.compile(r"-?\d{4,}-\d\d-\d\d(Z|[+-]\d\d:\d\d)?$")


def local(tag):
    return tag.rsplit("}", 1)[-1]


def field(name):
    return name[0].lower() + name[1:] + "Field"


def bytes_of(text):
    try:
        return base64.b64decode(re.sub(r"\s", "", text or ""), validate=True)
    except ValueError:
        return None


def same_value(file_text, model_text):
    file_text = file_text or ""
    model_text = model_text or ""
    if file_text == model_text:
        return True
    m = DATE.match(file_text)
    if m:
        zone = m.group(1) or ""
        return model_text == file_text[:len(file_text) - len(zone)] + "T00:00:00" + zone
    decoded = bytes_of(file_text)
    return decoded is not None and decoded == bytes_of(model_text)


def is_array(model_el):
    return len(model_el) > 0 and not local(model_el[0].tag).endswith(("Field", "Specified"))


def text_of(el):
    return "".join(el.itertext())


class Matcher:
    def __init__(self):
        self.problems = []

    def check(self, ok, path, what):
        if not ok:
            self.problems.append("%s: %s" % (path, what))

    def present(self, model_parent, name, path):
        companion = model_parent.find(INV + field(name) + "Specified")
        if companion is not None:
            self.check(companion.text == "true", path,
                       "%sSpecified is %r" % (field(name), companion.text))

    def element(self, f_el, m_el, path):
        for attr, value in f_el.attrib.items():
            if attr.startswith("{"):
                continue  # xsi:schemaLocation tells where the schema is; not invoice data
            m = m_el.find(INV + field(attr))
            self.check(m is not None and m.text == value, path + "/@" + attr,
                       "expected %r, model has %r" % (value, None if m is None else m.text))
        children = list(f_el)
        if not children:
            if text_of(f_el).strip():
                m = m_el.find(INV + "valueField")
                if m is None:
                    m = m_el.find(INV + "anyField")  # a text in an open slot
                self.check(m is not None and same_value(text_of(f_el), text_of(m)), path,
                           "text not found in valueField or anyField")
            return
        seen = {}
        choice = 0
        for c in children:
            name = local(c.tag)
            k = seen.get(name, 0)
            seen[name] = k + 1
            here = "%s/%s[%d]" % (path, name, k)
            m = m_el.find(INV + field(name))
            if m is None:
                choice = self.choice_member(c, m_el, choice, here)
                continue
            if name == "Transforms":  # a wrapper: its Transform children are the entries
                entries = list(m)
                self.check(len(entries) == len(c), here, "wrong number of transforms")
                for j, (t, e) in enumerate(zip(c, entries)):
                    self.element(t, e, "%s/Transform[%d]" % (here, j))
                continue
            if len(c) or c.attrib:
                if is_array(m):
                    entries = list(m)
                    self.check(k < len(entries), here, "array entry missing")
                    if k < len(entries):
                        self.element(c, entries[k], here)
                else:
                    self.element(c, m, here)
                    self.present(m_el, name, here)
                continue
            if len(m) and not is_array(m):  # an empty block: an object with no value set
                self.check(not (c.text or "").strip(), here, "text where the model has an object")
                self.present(m_el, name, here)
            elif len(m):
                entries = list(m)
                self.check(k < len(entries) and entries[k].text == (c.text or ""), here,
                           "array entry %r not found" % c.text)
            else:
                self.check(same_value(c.text, m.text), here,
                           "expected %r, model has %r" % (c.text, m.text))
                self.present(m_el, name, here)

    def choice_member(self, c, m_el, index, here):
        name = local(c.tag)
        values = m_el.find(INV + "itemsField")
        names = m_el.find(INV + "itemsElementNameField")
        if values is None:
            anyf = m_el.find(INV + "anyField")
            ok = anyf is not None and len(anyf) == 1 and anyf[0].tag == c.tag \
                and text_of(anyf[0]) == text_of(c) and anyf[0].attrib == c.attrib
            self.check(ok, here, "not found in anyField")
            return index
        vals = list(values)
        self.check(index < len(vals) and vals[index].text == (c.text or ""), here,
                   "choice value %r not found" % c.text)
        if names is not None:
            nm = list(names)
            self.check(index < len(nm) and nm[index].text == name, here, "choice name not found")
        return index + 1


def match(file_root, documento):
    """Mismatches between a FatturaPA document element and a Documento element."""
    m = Matcher()
    m.element(file_root, documento, local(file_root.tag))
    return m.problems

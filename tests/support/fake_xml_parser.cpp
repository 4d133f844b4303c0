#include "fake_xml_parser.h"

#include <cctype>

#include "description/component_error.h"

namespace {

int& Live() {
    static int live = 0;
    return live;
}

std::map<std::string, std::shared_ptr<FakeElement>>& Files() {
    static std::map<std::string, std::shared_ptr<FakeElement>> files;
    return files;
}

std::vector<std::string>& Opened() {
    static std::vector<std::string> opened;
    return opened;
}

struct Counted {
    Counted() { ++Live(); }
    Counted(const Counted&) = delete;
    ~Counted() { --Live(); }
};

class FakeSource : public XmlElementSource, Counted {
public:
    explicit FakeSource(std::shared_ptr<FakeElement> e) : e_(std::move(e)) {}
    std::unique_ptr<XmlElementList> Children() override;
    std::unique_ptr<XmlAttributeList> Attributes() override;
    bool Tag(std::string& tag) override {
        if (e_->failTag) return false;
        tag = e_->tag;
        return true;
    }
    bool Text(std::string& text) override {
        text = e_->text;
        return true;
    }
    std::int32_t Type() override {
        if (e_->failType) throw ComponentError(static_cast<std::int32_t>(0x80004005u), {1, 2, 3, {4}});
        return e_->type;
    }

private:
    std::shared_ptr<FakeElement> e_;
};

class FakeList : public XmlElementList, Counted {
public:
    explicit FakeList(std::shared_ptr<FakeElement> e) : e_(std::move(e)) {}
    bool Length(long& count) override {
        count = static_cast<long>(e_->children.size());
        return true;
    }
    std::unique_ptr<XmlElementSource> Item(long index) override {
        auto child = e_->children.at(static_cast<std::size_t>(index));
        if (child->failItem) return nullptr;
        return std::make_unique<FakeSource>(child);
    }

private:
    std::shared_ptr<FakeElement> e_;
};

class FakeAttributes : public XmlAttributeList, Counted {
public:
    explicit FakeAttributes(std::shared_ptr<FakeElement> e) : e_(std::move(e)) {}
    bool Length(long& count) override {
        count = static_cast<long>(e_->attributes.size());
        return true;
    }
    bool Item(long index, std::string& name, std::string& value) override {
        for (long failed : e_->failedAttributeItems) {
            if (failed == index) return false;
        }
        name = e_->attributes.at(static_cast<std::size_t>(index)).first;
        value = e_->attributes.at(static_cast<std::size_t>(index)).second;
        return true;
    }

private:
    std::shared_ptr<FakeElement> e_;
};

std::unique_ptr<XmlElementList> FakeSource::Children() {
    if (e_->failChildren) return nullptr;
    return std::make_unique<FakeList>(e_);
}

std::unique_ptr<XmlAttributeList> FakeSource::Attributes() {
    if (e_->failAttributes) return nullptr;
    return std::make_unique<FakeAttributes>(e_);
}

class FakeParser : public XmlParser, Counted {
public:
    bool Open(const std::string& fileName) override {
        Opened().push_back(fileName);
        auto found = Files().find(fileName);
        if (found == Files().end() || !found->second) return false;
        root_ = found->second;
        return true;
    }
    std::unique_ptr<XmlElementSource> Root() override {
        if (!root_ || root_->tag.empty()) return nullptr;  // a document without a root element
        return std::make_unique<FakeSource>(root_);
    }

private:
    std::shared_ptr<FakeElement> root_;
};

std::unique_ptr<XmlParser> CreateFakeParser() {
    return std::make_unique<FakeParser>();
}

// The minimal reader: <tag a="v" ...> ... </tag>, <tag/>, text between tags.
class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    std::shared_ptr<FakeElement> Document() {
        Skip();
        auto root = Element();
        Skip();
        return root && p_ == s_.size() ? root : nullptr;
    }

private:
    void Skip() {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
    }
    std::string Name() {
        std::size_t start = p_;
        while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_' ||
                                  s_[p_] == '-' || s_[p_] == '.' || s_[p_] == ':')) {
            ++p_;
        }
        return s_.substr(start, p_ - start);
    }
    std::shared_ptr<FakeElement> Element() {
        if (p_ >= s_.size() || s_[p_] != '<') return nullptr;
        ++p_;
        auto e = std::make_shared<FakeElement>();
        e->tag = Name();
        if (e->tag.empty()) return nullptr;
        for (;;) {
            Skip();
            if (p_ >= s_.size()) return nullptr;
            if (s_.compare(p_, 2, "/>") == 0) {
                p_ += 2;
                return e;
            }
            if (s_[p_] == '>') break;
            std::string name = Name();
            Skip();
            if (name.empty() || p_ + 1 >= s_.size() || s_[p_] != '=') return nullptr;
            ++p_;
            Skip();
            if (s_[p_] != '"') return nullptr;
            std::size_t end = s_.find('"', p_ + 1);
            if (end == std::string::npos) return nullptr;
            e->attributes.emplace_back(name, s_.substr(p_ + 1, end - p_ - 1));
            p_ = end + 1;
        }
        ++p_;
        for (;;) {
            std::size_t start = p_;
            while (p_ < s_.size() && s_[p_] != '<') ++p_;
            e->text += s_.substr(start, p_ - start);
            if (p_ >= s_.size()) return nullptr;
            if (s_.compare(p_, 2, "</") == 0) {
                p_ += 2;
                if (Name() != e->tag) return nullptr;
                Skip();
                if (p_ >= s_.size() || s_[p_] != '>') return nullptr;
                ++p_;
                return e;
            }
            auto child = Element();
            if (!child) return nullptr;
            e->children.push_back(child);
        }
    }

    const std::string& s_;
    std::size_t p_ = 0;
};

}  // namespace

std::shared_ptr<FakeElement> ParseFakeXml(const std::string& text) {
    return Reader(text).Document();
}

namespace fake_xml {

void SetFile(const std::string& name, const std::string& xml) {
    Files()[name] = ParseFakeXml(xml);
}
void SetFile(const std::string& name, std::shared_ptr<FakeElement> root) {
    Files()[name] = std::move(root);
}
void ClearFiles() {
    Files().clear();
    Opened().clear();
}
const std::vector<std::string>& OpenedNames() { return Opened(); }
int LiveObjects() { return Live(); }

Installed::Installed() : previous_(XmlDocument::SetParserFactory(&CreateFakeParser)) {}
Installed::~Installed() {
    XmlDocument::SetParserFactory(previous_);
    ClearFiles();
}

}  // namespace fake_xml

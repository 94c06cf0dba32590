// Named-value lists behind the Properties interface.
#include "ado/engine/PropertyList.h"

#include "ado/engine/internal/Text.h"

namespace vmado::engine {

namespace {
class FixedProperty final : public Property {
public:
    FixedProperty(AnsiString name, Variant value, DataTypeEnum type)
        : name_(std::move(name)), value_(std::move(value)), type_(type)
    {
    }
    AnsiString Name() const override { return name_; }
    Variant Value() const override { return value_; }
    void SetValue(const Variant&) override
    {
        throw EOleException("Property '" + name_ + "' is read-only", "vmado.Engine");
    }
    DataTypeEnum Type() const override { return type_; }
    Integer Attributes() const override { return adPropRead; }

private:
    AnsiString name_;
    Variant value_;
    DataTypeEnum type_;
};
class SettableProperty final : public Property {
public:
    SettableProperty(AnsiString name, std::function<Variant()> get, std::function<void(const Variant&)> set,
                     DataTypeEnum type)
        : name_(std::move(name)), get_(std::move(get)), set_(std::move(set)), type_(type)
    {
    }
    AnsiString Name() const override { return name_; }
    Variant Value() const override { return get_(); }
    void SetValue(const Variant& value) override { set_(value); }
    DataTypeEnum Type() const override { return type_; }
    Integer Attributes() const override { return adPropRead | adPropWrite; }

private:
    AnsiString name_;
    std::function<Variant()> get_;
    std::function<void(const Variant&)> set_;
    DataTypeEnum type_;
};
} // namespace

void PropertyList::AddSettable(const AnsiString& name, std::function<Variant()> get,
                               std::function<void(const Variant&)> set, DataTypeEnum type)
{
    items_.push_back(std::make_shared<SettableProperty>(name, std::move(get), std::move(set), type));
}

void PropertyList::Add(const AnsiString& name, const Variant& value, DataTypeEnum type)
{
    items_.push_back(std::make_shared<FixedProperty>(name, value, type));
}

Integer PropertyList::Count() const
{
    return static_cast<Integer>(items_.size());
}

PropertyPtr PropertyList::Item(Integer index) const
{
    if (index < 0 || index >= Count())
        throw EOleException("Property index " + std::to_string(index) + " is out of range 0.." +
                                std::to_string(Count() - 1),
                            "vmado.Engine");
    return items_[static_cast<std::size_t>(index)];
}

PropertyPtr PropertyList::Item(const AnsiString& name) const
{
    for (const auto& p : items_)
        if (EqualsIgnoreCase(p->Name(), name))
            return p;
    throw EOleException("Property '" + name + "' cannot be found in the collection", "vmado.Engine");
}

} // namespace vmado::engine

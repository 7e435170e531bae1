// Values a container hands over (a property bag, an HTML <param>, a hand-edited form) are
// converted as the platform converts them: the control's load is compared with oleaut32's
// VariantChangeTypeEx in the user's locale over every pair of a field type and a stored
// value, text and typed; and in a US locale the forms people write read as they mean.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "component_support.h"

namespace cadencer_test {
namespace {

struct Field {
    const wchar_t* key;
    VARTYPE type;
};

// One field of each type the control loads.
const Field kFields[] = {
    {L"UseEndDate", VT_BOOL}, {L"StartHour", VT_I2}, {L"StartUpLeft", VT_I4},
    {L"StartDate", VT_DATE},  {L"Title", VT_BSTR},
};

class Value {
public:
    Value() = default;
    explicit Value(const wchar_t* text) : v_(ScopedVariant::String(text)) {}
    Value(const Value& other) { VariantCopy(v_.get(), const_cast<VARIANT*>(other.v_.get())); }
    Value& operator=(const Value&) = delete;
    VARIANT* get() { return v_.get(); }
    const VARIANT& operator*() const { return *v_.get(); }

    template <class Fill>
    static Value Typed(VARTYPE type, Fill fill) {
        Value value;
        V_VT(value.get()) = type;
        fill(*value.get());
        return value;
    }

private:
    ScopedVariant v_;
};

std::string Describe(const VARIANT& v) {
    Value text;
    if (V_VT(&v) == VT_BSTR) return "\"" + std::string(V_BSTR(&v), V_BSTR(&v) + SysStringLen(V_BSTR(&v))) + "\"";
    const HRESULT hr = VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR);
    std::string out = "vt " + std::to_string(V_VT(&v));
    if (SUCCEEDED(hr))
        out += " " + std::string(V_BSTR(text.get()), V_BSTR(text.get()) + SysStringLen(V_BSTR(text.get())));
    return out;
}

std::vector<Value> StoredValues() {
    std::vector<Value> values;
    for (const wchar_t* text : {L"True",
                                L"False",
                                L"true",
                                L"TRUE",
                                L"#TRUE#",
                                L"#FALSE#",
                                L"-1",
                                L"0",
                                L"1",
                                L"9",
                                L"9.0",
                                L"9.5",
                                L"10.5",
                                L" 7 ",
                                L"+7",
                                L"1,000",
                                L"1,000.5",
                                L"12,5",
                                L"&H10",
                                L"&HFFFF",
                                L"&O17",
                                L"(5)",
                                L"-5",
                                L"5-",
                                L"1e3",
                                L"1.5E+2",
                                L"40000",
                                L"2147483648",
                                L"abc",
                                L"",
                                L"   ",
                                L"yes",
                                L"$5",
                                L"0x10",
                                L"03/10/2026",
                                L"2026-03-10",
                                L"2026-03-10 09:30:00",
                                L"10 March 2026",
                                L"09:30",
                                L"46091",
                                L"12/31/9999",
                                L"1/1/100",
                                L"13/13/2026",
                                L"\u0661\u0662"})
        values.emplace_back(text);
    values.push_back(Value::Typed(VT_I2, [](VARIANT& v) { V_I2(&v) = 7; }));
    values.push_back(Value::Typed(VT_I4, [](VARIANT& v) { V_I4(&v) = 70000; }));
    values.push_back(Value::Typed(VT_I4, [](VARIANT& v) { V_I4(&v) = 46091; }));
    values.push_back(Value::Typed(VT_R8, [](VARIANT& v) { V_R8(&v) = 2.5; }));
    values.push_back(Value::Typed(VT_R8, [](VARIANT& v) { V_R8(&v) = -3.5; }));
    values.push_back(Value::Typed(VT_R8, [](VARIANT& v) { V_R8(&v) = 1e10; }));
    values.push_back(Value::Typed(VT_R4, [](VARIANT& v) { V_R4(&v) = 0.1f; }));
    values.push_back(Value::Typed(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; }));
    values.push_back(Value::Typed(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_FALSE; }));
    values.push_back(Value::Typed(VT_DATE, [](VARIANT& v) { V_DATE(&v) = 46091.5; }));
    values.push_back(Value::Typed(VT_CY, [](VARIANT& v) { V_CY(&v).int64 = 123456; }));
    values.push_back(Value::Typed(VT_DECIMAL, [](VARIANT& v) { VarDecFromR8(2.5, &V_DECIMAL(&v)); }));
    values.push_back(Value::Typed(VT_UI1, [](VARIANT& v) { V_UI1(&v) = 200; }));
    values.push_back(Value::Typed(VT_I1, [](VARIANT& v) { V_I1(&v) = -3; }));
    values.push_back(Value::Typed(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 4000000000u; }));
    values.push_back(Value::Typed(VT_I8, [](VARIANT& v) { V_I8(&v) = -9; }));
    values.push_back(Value::Typed(VT_EMPTY, [](VARIANT&) {}));
    values.push_back(Value::Typed(VT_NULL, [](VARIANT&) {}));
    return values;
}

// Loads a control from a bag holding one key; the result and the loaded control.
HRESULT LoadOne(const wchar_t* key, const VARIANT& value, ComPtr<_Cadencer>& control) {
    RecordingBag bag(nullptr);
    bag.Set(key, value);
    control = CreateControl();
    ComPtr<IPersistPropertyBag> persist;
    EXPECT_EQ(control.As(&persist), S_OK);
    return persist->Load(&bag, nullptr);
}

// The loaded field as the platform's own type.
Value ReadBack(_Cadencer* control, const Field& field) {
    Value value;
    VARIANT& v = *value.get();
    V_VT(&v) = field.type;
    switch (field.type) {
        case VT_BOOL:
            control->get_UseEndDate(&V_BOOL(&v));
            break;
        case VT_I2:
            control->get_StartHour(&V_I2(&v));
            break;
        case VT_I4:
            control->get_StartUpLeft(&V_I4(&v));
            break;
        case VT_DATE:
            control->get_StartDate(&V_DATE(&v));
            break;
        case VT_BSTR:
            control->get_Title(&V_BSTR(&v));
            break;
    }
    return value;
}

TEST(ComponentCoercion, LoadingConvertsEveryStoredValueAsThePlatformDoes) {
    const std::vector<Value> stored = StoredValues();
    int compared = 0, converted = 0;
    for (const Field& field : kFields) {
        for (const Value& source : stored) {
            const std::string what = std::string(field.key, field.key + wcslen(field.key)) + " = " + Describe(*source);
            Value expected;
            const HRESULT platform = VariantChangeTypeEx(expected.get(), const_cast<VARIANT*>(&*source),
                                                         LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, field.type);
            ComPtr<_Cadencer> control;
            const HRESULT loaded = LoadOne(field.key, *source, control);
            ++compared;
            if (FAILED(platform)) {
                EXPECT_EQ(loaded, platform == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH) << what;
                continue;
            }
            ASSERT_EQ(loaded, S_OK) << what;
            ++converted;
            const Value got = ReadBack(control.Get(), field);
            EXPECT_EQ(VarCmp(const_cast<VARIANT*>(&*got), expected.get(), LOCALE_INVARIANT, 0),
                      static_cast<HRESULT>(VARCMP_EQ))
                << what << ": loaded " << Describe(*got) << ", platform " << Describe(*expected);
        }
    }
    EXPECT_GE(compared, 200);
    // Both outcomes are well represented, or the comparison proves little.
    EXPECT_GE(converted, 60);
    EXPECT_GE(compared - converted, 60);
}

TEST(ComponentCoercion, TextReadsAsAUsUserMeansIt) {
    if (PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) != LANG_ENGLISH ||
        SUBLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) != SUBLANG_ENGLISH_US)
        GTEST_SKIP() << "the user locale is not English (United States)";
    auto load = [](const wchar_t* key, const wchar_t* text) {
        ComPtr<_Cadencer> control;
        const HRESULT hr = LoadOne(key, *Value(text), control);
        EXPECT_EQ(hr, S_OK) << std::string(text, text + wcslen(text));
        return control;
    };
    VARIANT_BOOL b = VARIANT_FALSE;
    for (const wchar_t* yes : {L"True", L"TRUE", L"#TRUE#", L"-1", L"1"}) {
        load(L"UseEndDate", yes)->get_UseEndDate(&b);
        EXPECT_EQ(b, VARIANT_TRUE);
    }
    load(L"UseEndDate", L"#FALSE#")->get_UseEndDate(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    SHORT hour = 0;
    load(L"StartHour", L"9.0")->get_StartHour(&hour);
    EXPECT_EQ(hour, 9);
    load(L"StartHour", L"&H10")->get_StartHour(&hour);
    EXPECT_EQ(hour, 16);
    load(L"StartHour", L"(5)")->get_StartHour(&hour);
    EXPECT_EQ(hour, -5);
    LONG left = 0;
    load(L"StartUpLeft", L"1,000")->get_StartUpLeft(&left);
    EXPECT_EQ(left, 1000);
    DATE start = 0;
    load(L"StartDate", L"03/10/2026")->get_StartDate(&start);
    EXPECT_EQ(start, 46091.0);  // the tenth of March
    ScopedBstr title;
    ComPtr<_Cadencer> control;
    ASSERT_EQ(LoadOne(L"Title", *Value::Typed(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; }), control), S_OK);
    control->get_Title(title.receive());
    EXPECT_STREQ(title.get(), L"True");
}

TEST(ComponentCoercion, SavingWritesTypedValuesNeverText) {
    ComPtr<_Cadencer> loaded;
    ASSERT_EQ(LoadOne(L"StartHour", *Value(L"9"), loaded), S_OK);
    loaded->put_UseEndDate(VARIANT_TRUE);
    loaded->put_StartDate(46091.5);
    loaded->put_StartUpLeft(1000);
    RecordingBag bag(nullptr);
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(loaded.As(&persist), S_OK);
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(V_VT(bag.values[L"StartHour"].get()), VT_I2);
    EXPECT_EQ(V_I2(bag.values[L"StartHour"].get()), 9);
    EXPECT_EQ(V_VT(bag.values[L"UseEndDate"].get()), VT_BOOL);
    EXPECT_EQ(V_VT(bag.values[L"StartDate"].get()), VT_DATE);
    EXPECT_EQ(V_DATE(bag.values[L"StartDate"].get()), 46091.5);
    EXPECT_EQ(V_VT(bag.values[L"StartUpLeft"].get()), VT_I4);
}

TEST(ComponentCoercion, ObjectsAreNotAskedForADefaultValue) {
    // A stored object (not a picture) in a number's place: the platform would call its
    // default property; the control refuses it without calling it.
    CallLog calls;
    RecordingEventSink object(&calls);
    Value stored = Value::Typed(VT_DISPATCH, [&](VARIANT& v) {
        V_DISPATCH(&v) = &object;
        object.AddRef();
    });
    ComPtr<_Cadencer> control;
    EXPECT_EQ(LoadOne(L"StartHour", *stored, control), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(calls.empty()) << Joined(calls);
}

}  // namespace
}  // namespace cadencer_test

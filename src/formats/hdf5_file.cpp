#include "formats/hdf5_file.hpp"

#include <algorithm>
#include <cstring>

#include "system/failure.hpp"

namespace voxmill::h5 {

namespace {

// What the library found wrong, from the innermost entry of its error stack,
// which it then clears: " (truncated file: eof = 800, ...)".
std::string library_reason()
{
    std::string reason;
    H5Ewalk2(
        H5E_DEFAULT, H5E_WALK_DOWNWARD,
        [](unsigned, const H5E_error2_t* entry, void* found) -> herr_t {
            if (entry->desc != nullptr && entry->desc[0] != '\0') *static_cast<std::string*>(found) = entry->desc;
            return 0;
        },
        &reason);
    H5Eclear2(H5E_DEFAULT);
    return reason.empty() ? "" : " (" + reason + ")";
}

std::string shape_text(std::span<const hsize_t> shape)
{
    std::string text = "[";
    for (std::size_t d = 0; d < shape.size(); ++d) text += (d > 0 ? ", " : "") + std::to_string(shape[d]);
    return text + "]";
}

std::string type_text(hid_t type)
{
    const std::size_t bits = 8 * H5Tget_size(type);
    switch (H5Tget_class(type)) {
    case H5T_INTEGER: return std::to_string(bits) + "-bit integers";
    case H5T_FLOAT: return std::to_string(bits) + "-bit floating point";
    case H5T_STRING: return "strings";
    default: return "values of another kind";
    }
}

}  // namespace

Handle& Handle::operator=(Handle&& other) noexcept
{
    std::swap(id_, other.id_);
    std::swap(close_, other.close_);
    return *this;
}

Handle::~Handle()
{
    if (id_ >= 0 && close_ != nullptr) close_(id_);
}

File::File(std::string path) : path_(std::move(path))
{
    // Faults reach the user as our messages, never as the library's printout.
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const Handle access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
    H5Pset_fclose_degree(access.get(), H5F_CLOSE_STRONG);
    file_ = Handle(H5Fopen(path_.c_str(), H5F_ACC_RDONLY, access.get()), H5Fclose);
    if (file_.get() < 0) fail_at(path_, 0, "not a readable HDF5 file" + library_reason());
}

bool File::has(std::string_view object) const
{
    for (std::size_t end = 0; end != std::string_view::npos;) {
        end = object.find('/', end + 1);
        const std::string link(object.substr(0, end));
        if (H5Lexists(file_.get(), link.c_str(), H5P_DEFAULT) <= 0) {
            H5Eclear2(H5E_DEFAULT);
            return false;
        }
    }
    return true;
}

Dataset File::dataset(const std::string& object) const
{
    if (!has(object)) fail_at(path_, 0, "expected a dataset " + object + ", found none");
    return Dataset(*this, object);
}

Dataset::Dataset(const File& file, const std::string& object) : file_path_(file.path()), name_(object)
{
    dataset_ = Handle(H5Dopen2(file.id(), object.c_str(), H5P_DEFAULT), H5Dclose);
    if (dataset_.get() < 0) fail("expected a dataset, found none readable" + library_reason());
    type_ = Handle(H5Dget_type(dataset_.get()), H5Tclose);
    const Handle space(H5Dget_space(dataset_.get()), H5Sclose);
    const int rank = type_.get() < 0 || space.get() < 0 ? -1 : H5Sget_simple_extent_ndims(space.get());
    if (rank < 0) fail("has no readable type or shape" + library_reason());
    shape_.resize(static_cast<std::size_t>(rank));
    H5Sget_simple_extent_dims(space.get(), shape_.data(), nullptr);
}

std::size_t Dataset::elements() const
{
    std::size_t count = 1;
    for (const hsize_t extent : shape_)
        if (__builtin_mul_overflow(count, extent, &count)) fail("has more values than a 64-bit count can hold");
    return count;
}

void Dataset::fail(std::string_view what) const { fail_at(file_path_, 0, name_ + ": " + std::string(what)); }

void Dataset::expect_shape(bool fits, std::string_view expected) const
{
    if (!fits) fail("expected " + std::string(expected) + ", found shape " + shape_text(shape_));
}

void Dataset::read_all(hid_t memory_type, void* out) const
{
    // A conversion buffer no larger than the values, instead of the library's
    // 1 MiB, which it zeroes for every dataset of a few numbers.
    constexpr std::size_t library_buffer = std::size_t{1} << 20;
    const std::size_t bytes =
        std::max<std::size_t>(elements(), 1) * std::max(H5Tget_size(type_.get()), H5Tget_size(memory_type));
    const Handle transfer(H5Pcreate(H5P_DATASET_XFER), H5Pclose);
    H5Pset_buffer(transfer.get(), std::min(bytes, library_buffer), nullptr, nullptr);
    if (H5Dread(dataset_.get(), memory_type, H5S_ALL, H5S_ALL, transfer.get(), out) < 0)
        fail("cannot read its values" + library_reason());
}

std::vector<double> Dataset::reals() const
{
    const H5T_class_t kind = H5Tget_class(type_.get());
    if (kind != H5T_FLOAT && kind != H5T_INTEGER) fail("expected numbers, found " + type_text(type_.get()));
    expect_stored();
    std::vector<double> values(elements());
    read_all(H5T_NATIVE_DOUBLE, values.data());
    return values;
}

std::vector<long long> Dataset::integers() const
{
    if (H5Tget_class(type_.get()) != H5T_INTEGER) fail("expected integers, found " + type_text(type_.get()));
    expect_stored();
    std::vector<long long> values(elements());
    read_all(H5T_NATIVE_LLONG, values.data());
    return values;
}

std::vector<std::string> Dataset::texts() const
{
    if (H5Tget_class(type_.get()) != H5T_STRING) fail("expected strings, found " + type_text(type_.get()));
    // Variable-length strings lie in the file's global heap, whose broken
    // records the library copies unchecked: VASP writes fixed-length ones.
    if (H5Tis_variable_str(type_.get()) != 0)
        fail("expected fixed-length strings, as VASP writes them, found variable-length ones");
    expect_stored();
    const std::size_t count = elements(), length = H5Tget_size(type_.get());
    const Handle memory_type(H5Tcopy(H5T_C_S1), H5Tclose);
    // Padded with NULs, so that a string filling its length keeps its last
    // character; ASCII or UTF-8 as stored, which the library does not convert.
    H5Tset_size(memory_type.get(), length);
    H5Tset_strpad(memory_type.get(), H5T_STR_NULLPAD);
    H5Tset_cset(memory_type.get(), H5Tget_cset(type_.get()));
    std::vector<char> values(count * length);
    read_all(memory_type.get(), values.data());
    std::vector<std::string> texts;
    for (std::size_t n = 0; n < count; ++n) {
        std::string_view value(values.data() + n * length, strnlen(values.data() + n * length, length));
        while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
        texts.emplace_back(value);
    }
    return texts;
}

void Dataset::expect_doubles() const
{
    if (H5Tget_class(type_.get()) != H5T_FLOAT || H5Tget_size(type_.get()) != sizeof(double))
        fail("expected 64-bit floating point, found " + type_text(type_.get()));
}

bool Dataset::stored_whole() const
{
    return H5Dget_storage_size(dataset_.get()) / H5Tget_size(type_.get()) >= elements();
}

void Dataset::expect_stored() const
{
    const Handle creation(H5Dget_create_plist(dataset_.get()), H5Pclose);
    if (!stored_whole() && H5Pget_nfilters(creation.get()) <= 0)
        fail("expected its " + std::to_string(elements()) + " values in the file, found room for "
             + std::to_string(H5Dget_storage_size(dataset_.get()) / H5Tget_size(type_.get())));
}

void Dataset::read(std::span<const hsize_t> start, std::span<const hsize_t> count, double* out) const
{
    hsize_t values = 1;
    for (const hsize_t extent : count) values *= extent;
    const Handle memory(H5Screate_simple(1, &values, nullptr), H5Sclose);
    const Handle file(H5Dget_space(dataset_.get()), H5Sclose);
    if (H5Sselect_hyperslab(file.get(), H5S_SELECT_SET, start.data(), nullptr, count.data(), nullptr) < 0
        || H5Dread(dataset_.get(), H5T_NATIVE_DOUBLE, memory.get(), file.get(), H5P_DEFAULT, out) < 0)
        fail("cannot read its values" + library_reason());
}

}  // namespace voxmill::h5

#pragma once
// Reading AIA files back through netCDF-C itself, for the tests.

#include <netcdf.h>

#include <cmath>
#include <string>
#include <vector>

// A read-only view of a file through netCDF-C.
class NcFile {
public:
    explicit NcFile(const std::string& path)
    {
        m_status = nc_open(path.c_str(), NC_NOWRITE, &m_id);
    }
    ~NcFile()
    {
        if (m_status == NC_NOERR)
            nc_close(m_id);
    }
    bool Ok() const { return m_status == NC_NOERR; }
    int Format() const
    {
        int format = -1;
        nc_inq_format(m_id, &format);
        return format;
    }
    bool HasAttribute(const char* name) const
    {
        int id = 0;
        return nc_inq_attid(m_id, NC_GLOBAL, name, &id) == NC_NOERR;
    }
    std::string Text(const char* name, int var = NC_GLOBAL) const
    {
        size_t length = 0;
        nc_type type = 0;
        if (nc_inq_att(m_id, var, name, &type, &length) != NC_NOERR || type != NC_CHAR)
            return "<missing>";
        std::string text(length, '\0');
        nc_get_att_text(m_id, var, name, text.data());
        return text;
    }
    float FloatAttribute(const char* name) const
    {
        float value = NAN;
        nc_type type = 0;
        size_t length = 0;
        if (nc_inq_att(m_id, NC_GLOBAL, name, &type, &length) == NC_NOERR && type == NC_FLOAT &&
            length == 1)
            nc_get_att_float(m_id, NC_GLOBAL, name, &value);
        return value;
    }
    int Var(const char* name) const
    {
        int id = -1;
        nc_inq_varid(m_id, name, &id);
        return id;
    }
    float Scalar(const char* name) const
    {
        const int var = Var(name);
        int dims = -1;
        nc_type type = 0;
        nc_inq_varndims(m_id, var, &dims);
        nc_inq_vartype(m_id, var, &type);
        float value = NAN;
        if (dims == 0 && type == NC_FLOAT)
            nc_get_var_float(m_id, var, &value);
        return value;
    }
    int Dimensions() const
    {
        int n = -1;
        nc_inq_ndims(m_id, &n);
        return n;
    }
    int Unlimited() const
    {
        int id = -2;
        nc_inq_unlimdim(m_id, &id);
        return id;
    }
    size_t DimensionLength(const char* name) const
    {
        int id = -1;
        size_t length = 0;
        if (nc_inq_dimid(m_id, name, &id) == NC_NOERR)
            nc_inq_dimlen(m_id, id, &length);
        return length;
    }
    std::vector<float> Ordinates() const
    {
        const int var = Var("ordinate_values");
        std::vector<float> values(DimensionLength("point_number"));
        nc_get_var_float(m_id, var, values.data());
        return values;
    }
    int Id() const { return m_id; }

private:
    int m_id = -1;
    int m_status = NC_NOERR;
};
